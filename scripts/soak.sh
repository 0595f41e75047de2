#!/usr/bin/env bash
# Runs the real Clearpane.exe with a 1280x720 area mirror up for a number of
# minutes (10 by default) under Wine on a private 1920x1080 Xvfb display, in
# a fresh prefix, and prints at each minute the CPU seconds it used in that
# minute and its memory, read from Linux: Wine answers 0 for another
# process's CPU times, handles and GDI objects (the benchmark counts GDI
# objects from inside, over a thousand filter cycles).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
unset CLEARPANE_HEADS
minutes="${1:-10}"
program_pid=""
soak_cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  cleanup
}
start_session soak 1920x1080
trap soak_cleanup EXIT

key='HKCU\Software\Orrinvale\Clearpane'
for value in Style:0 Enabled:1 HasRegion:1 RegionLeft:0 RegionTop:0 RegionRight:1280 RegionBottom:720; do
  wine reg add "$key" /v "${value%%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null 2>&1
done
wine "$build/bin/Clearpane.exe" &
program_pid=$!
sleep 5

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$program_pid/stat"; }
status_kb() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$program_pid/status"; }
echo "Clearpane.exe with a 1280x720 area mirror for $minutes minutes (Linux pid $program_pid)"
printf '%6s %14s %10s %14s\n' minute "CPU s/minute" "RSS MB" "anon MB"
last=$(cpu_ticks)
for minute in $(seq "$minutes"); do
  sleep 60
  kill -0 "$program_pid" 2>/dev/null || { echo "Clearpane.exe ended early"; exit 1; }
  now=$(cpu_ticks)
  awk -v m="$minute" -v cpu="$((now - last))" -v t="$ticks" -v rss="$(status_kb VmRSS)" -v anon="$(status_kb RssAnon)" \
    'BEGIN { printf "%6d %14.2f %10.1f %14.1f\n", m, cpu / t, rss / 1024, anon / 1024 }'
  last=$now
done
