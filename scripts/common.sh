# Shared by the scripts: the Wine settings, build, Xvfb, Wine prefix and server.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/mingw"
source "$root/scripts/wine-env.sh"

# build_preset NAME: configure and build one CMake preset into build/NAME.
build_preset() {
  mkdir -p "$root/build"
  # One build at a time in this tree, even when several runs start together.
  (
    flock 8
    cmake --preset "$1" -S "$root" >/dev/null
    cmake --build "$root/build/$1" -j 2
  ) 8>"$root/build/.build.lock"
}

build_all() { build_preset mingw; }
# The same sources through Clang, whose warnings (errors here) GCC may miss.
build_clang() { build_preset clang; }

# Wine finds several monitors through this stand-in for libXinerama.
build_fake_xinerama() {
  mkdir -p "$build/xinerama"
  gcc -shared -fPIC -O2 -Wl,-soname,libXinerama.so.1 -o "$build/xinerama/libXinerama.so.1" \
      "$root/tests/support/fake_xinerama.c"
  export LD_LIBRARY_PATH="$build/xinerama${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
}

xvfb_pid=""
# start_xvfb WIDTHxHEIGHT: a private X display; sets DISPLAY.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

prefix=""
# start_prefix NAME: a fresh prefix cloned from the build tree's template, and
# one Wine server kept for the whole run (a cold server costs seconds per program).
start_prefix() {
  prefix="$build/wine/$1"
  rm -rf "$prefix"
  "$root/scripts/wine-prefix.sh" clone "$build/wine/template" "$prefix"
  export WINEPREFIX="$prefix" CLEARPANE_WINEPREFIX="$prefix" CLEARPANE_DISPLAY="$DISPLAY"
  wineserver -p
}

# x11_setting NAME VALUE: a Wine X11 driver setting in the current prefix.
x11_setting() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
}

# Settings for a display with no window manager; with heads, Wine takes the
# monitor layout from the stand-in Xinerama (primary is the second head).
prepare_virtual_display() {
  x11_setting Managed N
  if [ -n "${CLEARPANE_HEADS:-}" ]; then
    x11_setting UseXRandR N
    x11_setting PrimaryMonitor 1
  fi
  # The settings are read when the server starts.
  wineserver -k; sleep 0.3; wineserver -p
  warm_up
}

# Wine's own background processes start with the first program and keep the
# pipes they inherit open; start them here so no test's output pipe is held.
warm_up() {
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# start_session NAME WIDTHxHEIGHT: builds, then a private display, a fresh
# prefix and its server for this run, all taken down when the script exits.
# One monitor unless CLEARPANE_HEADS names the stand-in Xinerama's heads.
start_session() {
  "$root/scripts/setup.sh"
  build_all
  trap cleanup EXIT
  trap "exit 130" INT TERM
  start_xvfb "$2"
  start_prefix "$1-$$"
  prepare_virtual_display
}

cleanup() {
  if [ -n "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    sleep 0.5
    [ -n "${KEEP_PREFIX:-}" ] || rm -rf "$prefix"
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
