#!/usr/bin/env bash
# Builds Clearpane and its tests (with GCC, and with Clang for its warnings)
# and runs every test under Wine on a private Xvfb display; without arguments
# it also makes the release and checks it. Extra arguments go to ctest (e.g.
# -R Settings).
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
# A full run also makes the release and checks that it holds the program the
# tests run; before ctest, so that ctest's summary stays the last line.
release_status=0
if [ $# -eq 0 ]; then
  "$root/scripts/release-check.sh" || release_status=$?
else
  echo "release check skipped: a narrowed run (ctest arguments given)"
fi
cd "$build"
status=0
ctest --output-on-failure "$@" || status=$?
[ $status -ne 0 ] || status=$release_status
exit $status
