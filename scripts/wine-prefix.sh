#!/usr/bin/env bash
# wine-prefix.sh template DIR      make a template prefix (once per build tree)
# wine-prefix.sh clone TEMPLATE DIR  hard-link a fresh prefix from the template
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# Marks a prefix that reports Windows 10 22H2. Templates and prefixes made
# before they did lack it and catch up at their next use.
ready=.clearpane-ready-win10-19045

# report_windows_10 PREFIX: the prefix reports Windows 10 22H2 (10.0.19045),
# the platform Clearpane is made for, instead of Wine's default Windows 7.
# With no Version setting of its own, Wine reports these values.
report_windows_10() {
  local p="$1" reg version
  reg="$(mktemp --suffix=.reg)"
  cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion]
"CurrentMajorVersionNumber"=dword:0000000a
"CurrentMinorVersionNumber"=dword:00000000
"CurrentBuildNumber"="19045"
"CurrentBuild"="19045"
"CurrentVersion"="10.0"
"CSDVersion"=""
EOF
  env -u DISPLAY WINEPREFIX="$p" wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 || true
  rm -f "$reg"
  version="$(env -u DISPLAY WINEPREFIX="$p" wine cmd /c ver 2>/dev/null | tr -d '\r\n' || true)"
  # The server writes the hives out when it ends.
  WINEPREFIX="$p" wineserver -w
  case "$version" in
    *" 10.0.19045"*) ;;
    *) echo "wine-prefix.sh: $p reports '$version', not Windows 10.0.19045" >&2; return 1 ;;
  esac
}

make_template() {
  local t="$1"
  [ -f "$t/$ready" ] && return 0
  rm -rf "$t"; mkdir -p "$t"
  # No display needed to boot a prefix, and it is faster without one.
  env -u DISPLAY WINEPREFIX="$t" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$t" wineserver -w
  report_windows_10 "$t"
  touch "$t/$ready"
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
    cp -a "$t/.update-timestamp" "$t/$ready" "$p/"
  elif [ ! -f "$p/$ready" ]; then
    # A prefix kept from before, with its settings, catches up.
    report_windows_10 "$p"
    touch "$p/$ready"
  fi
}

case "${1:-}" in
  template) make_template "$2" ;;
  clone) clone "$2" "$3" ;;
  *) echo "usage: $0 template DIR | clone TEMPLATE DIR" >&2; exit 2 ;;
esac
