#!/usr/bin/env bash
# Builds Clearpane and runs it under Wine: on the current display, or on a
# private Xvfb display when DISPLAY is unset. The Wine prefix lives in the
# build tree (build/mingw/wine/app) and keeps its settings between runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
"$root/scripts/setup.sh"
build_all
trap cleanup_app EXIT
trap "exit 130" INT TERM
cleanup_app() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb 1920x1080
  echo "No DISPLAY: Clearpane runs on the virtual display $DISPLAY."
  echo "To look at it, from another shell:  DISPLAY=$DISPLAY import -window root clearpane.png"
fi
export WINEPREFIX="$build/wine/app"
"$root/scripts/wine-prefix.sh" clone "$build/wine/template" "$WINEPREFIX"
if [ -n "$xvfb_pid" ]; then
  wineserver -p
  prepare_virtual_display
fi
echo "Running $build/bin/Clearpane.exe (log: $WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Clearpane/clearpane.log)"
echo "Quit it from its tray menu, or press Ctrl+C here."
wine "$build/bin/Clearpane.exe"
