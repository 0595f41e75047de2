#!/bin/sh
# One test of a run that ran them all in one process: its result file.
[ -f "$1" ] || { echo "not run: the run of all tests ended before it"; exit 1; }
status=0
while IFS= read -r line; do
  printf '%s\n' "$line"
  case $line in "[  FAILED  ]"*) status=1 ;; esac
done <"$1"
exit $status
