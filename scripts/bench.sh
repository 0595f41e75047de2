#!/usr/bin/env bash
# Builds the benchmark and runs it under Wine on a private 3840x2160 Xvfb
# display with one monitor, in a fresh prefix. Prints the figures.
# Extra arguments go to the benchmark (the frame count of the leak check).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
"$root/scripts/setup.sh"
build_all
# One head: Wine reads the screen itself (no stand-in Xinerama, no primary index).
unset CLEARPANE_HEADS
trap cleanup EXIT
trap "exit 130" INT TERM
start_xvfb 3840x2160
start_prefix "bench-$$"
prepare_virtual_display
cd "$build"
wine "$build/bin/clearpane_bench.exe" "$@"
