#!/usr/bin/env bash
# The main window as a player meets it, under Wine on a 1920x1080 screen:
# where it opens, what it shows, how it answers the mouse, and how it closes.
#
#   window_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
product=$1
manifest_tool=$2

publish_client "$WINEPREFIX/server" "$manifest_tool" game.exe:200000
start_content_server "$WINEPREFIX/server"
xdotool mousemove 5 5  # away from the window, so no hover starts by itself
start_program main "$product"
wait_main_window

echo "-- 640x380, a tenth of the free height below the centre"
[[ $window_size == 640x380 && $window_x == 640 && $window_y == 385 ]] ||
  fail "window is $window_size at ($window_x,$window_y)"
sleep 1  # the panel's first tick has brought the client's size
expect_picture opened

echo "-- hover shows Over, press shows Down; dragged off and released, no command runs"
point 576 350  # Exit
expect_picture exit-over --buttons launch=X,start=N,pause=X,cancel=O,folder=N
# A fresh rest first: a press held until the hover notice (3.3 s after the
# pointer came to rest) turns back to Over, and a slow check above may have
# used most of that time.
point 582 354
xdotool mousedown 1
sleep 0.3
expect_picture exit-down --buttons launch=X,start=N,pause=X,cancel=D,folder=N
point 300 150
xdotool mouseup 1
wine "$WINE_RUN_PROBE" no-msgbox "tarvik-downloader..." 1500 >/dev/null || fail "Exit ran its command after a drag off"

echo "-- dragging the background moves the window by the drag's distance"
point 300 150
xdotool mousedown 1 mousemove $((window_x + 340)) $((window_y + 175))
sleep 0.2
xdotool mouseup 1
sleep 0.3
read_window_place
[[ $window_x == 680 && $window_y == 410 ]] || fail "window at ($window_x,$window_y) after a drag by (40,25)"

echo "-- Escape asks; Cancel keeps the program running"
xdotool key Escape
expect_box "tarvik-downloader..." "Are you really going to quit?" cancel
sleep 0.5
kill -0 "${program_pid[main]}" || fail "the program ended after Cancel"

echo "-- Escape with a button focused does nothing"
wine "$WINE_RUN_PROBE" key-to-child "$main_title" 0 27
wine "$WINE_RUN_PROBE" no-msgbox "tarvik-downloader..." 1500 >/dev/null || fail "Escape on a button asked to quit"

echo "-- Alt+F4 asks; OK ends the program with exit code 1"
xdotool key alt+F4
expect_box "tarvik-downloader..." "Are you really going to quit?" ok
expect_exit main 1
echo PASS
