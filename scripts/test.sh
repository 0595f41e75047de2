#!/usr/bin/env bash
# Builds Clearpane and its tests (with GCC, and with Clang for its warnings)
# and runs every test under Wine on a private Xvfb display. Extra arguments go
# to ctest (e.g. -R Settings).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_fake_xinerama
# Two monitors: a 1280x1024 one left of the 1920x1080 primary.
export CLEARPANE_HEADS="1280x1024+0+0,1920x1080+1280+0"
start_session test 3200x1080
build_clang
# A plain -R (names and |) also narrows the one run of each test binary.
args=("$@")
for i in "${!args[@]}"; do
  if [ "${args[$i]}" = -R ] && [[ "${args[$((i + 1))]:-}" =~ ^[A-Za-z0-9_.|]+$ ]]; then
    pattern="${args[$((i + 1))]}"
    export GTEST_FILTER="*${pattern//|/*:*}*"
  fi
done
cd "$build"
status=0
ctest --output-on-failure "$@" || status=$?
exit $status
