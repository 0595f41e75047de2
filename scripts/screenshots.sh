#!/usr/bin/env bash
# Makes the README's pictures of Clearpane under Wine on a private 1280x720
# Xvfb display, with real input through xdotool, into docs/:
#   select-area.png   the selection overlay during a drag
#   tray-menu.png     the tray menu, opened with its hot key
# Each picture is one function below; add new ones the same way.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
unset CLEARPANE_HEADS
docs="$root/docs"
mkdir -p "$docs"
start_session shots 1280x720
# A settings key of its own: the prefix is new, so the program starts idle.

# Something to select over: a desktop colour and a document in Notepad.
# display sets the root's background, then exits with 1 all the same.
display -window root -size 1280x720 xc:'#2f5473' 2>/dev/null || true
printf '%s\r\n' "Quarterly review" "" "1. Where we stand" "2. What the customers said" \
  "3. The plan for spring" "4. Questions" > "$prefix/drive_c/agenda.txt"
wine notepad.exe 'C:\agenda.txt' >/dev/null 2>&1 &
notepad=$(xdotool search --sync --onlyvisible --name 'agenda' | head -1)
# Moved only: Wine does not redraw a window resized through X without a window manager.
xdotool windowmove "$notepad" 180 120
sleep 1

wine "$build/bin/Clearpane.exe" >/dev/null 2>&1 &
xdotool search --sync --onlyvisible --name 'Wine System Tray' >/dev/null
sleep 1

# Keys reach the program's hot keys while the X focus is on a Wine window.
hot_key() {
  xdotool search --onlyvisible --name 'Wine System Tray' windowfocus --sync key "$1"
}

shot() {
  import -window root -colors 128 -define png:compression-level=9 "$docs/$1"
  echo "wrote docs/$1 ($(stat -c %s "$docs/$1") bytes)"
}

select_area() {
  hot_key ctrl+alt+shift+a
  xdotool search --sync --onlyvisible --name 'Clearpane select area' >/dev/null
  # Hold the button down through the picture.
  # From the desktop left of the document, so the size label hides none of its text.
  xdotool mousemove 60 196 mousedown 1 sleep 0.2 mousemove 300 300 sleep 0.2 mousemove 640 430
  sleep 0.5
  shot select-area.png
  xdotool mouseup 1
  sleep 0.3
  hot_key ctrl+alt+shift+d   # the filter came up over the selection: take it down again
}

tray_menu() {
  # The menu opens above the pointer.
  xdotool mousemove 1000 700
  hot_key ctrl+alt+shift+w
  sleep 1
  shot tray-menu.png
  hot_key Escape
}

select_area
tray_menu
