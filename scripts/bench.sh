#!/usr/bin/env bash
# Builds the benchmark and runs it under Wine on a private 3840x2160 Xvfb
# display with one monitor, in a fresh prefix, then the selection overlay
# and the filter's on/off cycles alone on three monitors side by side.
# Prints the figures.
# Extra arguments go to the benchmark (the frame count of the leak check).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
# One head: Wine reads the screen itself (no stand-in Xinerama, no primary index).
unset CLEARPANE_HEADS
start_session bench 3840x2160
cd "$build"
wine "$build/bin/clearpane_bench.exe" "$@"

# Three monitors through the stand-in Xinerama: 1920x1080, a 2560x1440
# primary and 1920x1080, a 6400x1440 virtual screen from (-1920, 0). The
# layout is read when the Wine server starts, so this is a second display,
# prefix and server.
cleanup
prefix="" xvfb_pid=""
build_fake_xinerama
export CLEARPANE_HEADS="1920x1080+0+0,2560x1440+1920+0,1920x1080+4480+0"
start_xvfb 6400x1440
start_prefix "bench3-$$"
prepare_virtual_display
wine "$build/bin/clearpane_bench.exe" --select
echo
wine "$build/bin/clearpane_bench.exe" --cycles
