#!/usr/bin/env bash
# wine-prefix.sh template DIR      make a template prefix (once per build tree)
# wine-prefix.sh clone TEMPLATE DIR  hard-link a fresh prefix from the template
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

make_template() {
  local t="$1"
  [ -f "$t/.clearpane-ready" ] && return 0
  rm -rf "$t"; mkdir -p "$t"
  # No display needed to boot a prefix, and it is faster without one.
  env -u DISPLAY WINEPREFIX="$t" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$t" wineserver -w
  touch "$t/.clearpane-ready"
}

clone() {
  local t="$1" p="$2"
  mkdir -p "$(dirname "$t")"
  exec 9>"$t.lock"
  flock 9
  make_template "$t"
  if [ ! -f "$p/.update-timestamp" ]; then
    rm -rf "$p"; mkdir -p "$p"
    cp -al "$t/drive_c" "$p/drive_c"
    cp -a "$t/dosdevices" "$t"/*.reg "$p/"
    # Last, with its content, or Wine updates the prefix again.
    cp -a "$t/.update-timestamp" "$p/"
  fi
}

case "${1:-}" in
  template) make_template "$2" ;;
  clone) clone "$2" "$3" ;;
  *) echo "usage: $0 template DIR | clone TEMPLATE DIR" >&2; exit 2 ;;
esac
