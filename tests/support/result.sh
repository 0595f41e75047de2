#!/bin/sh
# One test of a run that ran them all in one process: its result file.
[ -f "$1" ] || { echo "not run: the run of all tests ended before it"; exit 1; }
cat "$1"
! grep -q '^\[  FAILED  \]' "$1"
