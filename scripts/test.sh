#!/usr/bin/env bash
# Builds Clearpane and its tests (with GCC, and with Clang for its warnings)
# and runs every test under Wine on a private Xvfb display. Extra arguments go
# to ctest (e.g. -R Settings).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
"$root/scripts/setup.sh"
build_all
build_clang
build_fake_xinerama
# Two monitors: a 1280x1024 one left of the 1920x1080 primary.
export CLEARPANE_HEADS="1280x1024+0+0,1920x1080+1280+0"
trap cleanup EXIT
trap "exit 130" INT TERM
start_xvfb 3200x1080
start_prefix "test-$$"
prepare_virtual_display
cd "$build"
status=0
ctest --output-on-failure "$@" || status=$?
exit $status
