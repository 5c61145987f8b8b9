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
open_program main "$product"

echo "-- 640x380, a tenth of the free height below the centre"
[[ $window_size == 640x380 && $window_x == 640 && $window_y == 385 ]] ||
  fail "window is $window_size at ($window_x,$window_y)"
expect_picture opened

echo "-- hover shows Over, press shows Down; dragged off and released, no command runs"
move_pointer 576 350  # Exit
expect_picture exit-over --buttons launch=X,start=N,pause=X,cancel=O,folder=N
# A fresh rest first: a press held until the hover notice (3.3 s after the
# pointer came to rest) turns back to Over, and a slow check above may have
# used most of that time.
move_pointer 582 354
xdotool mousedown 1
wait_until 3 "Exit does not show Down while pressed" button_shows exit D
expect_picture exit-down --buttons launch=X,start=N,pause=X,cancel=D,folder=N
move_pointer 300 150
xdotool mouseup 1
wine "$WINE_RUN_PROBE" no-msgbox "tarvik-downloader..." 1500 >/dev/null || fail "Exit ran its command after a drag off"

echo "-- dragging the background moves the window by the drag's distance"
# Wine starts the move from the last pointer position it has seen: the press
# comes once the program has seen the pointer leave Exit for the background.
point_at exit
move_pointer 300 150
wait_until 10 "Exit does not turn back to Normal when the pointer leaves it" button_shows exit N
xdotool mousedown 1 mousemove $((window_x + 340)) $((window_y + 175)) mouseup 1
poll 10 window_at 680 410 || fail "window at ($window_x,$window_y) after a drag by (40,25)"

echo "-- Escape asks; Cancel keeps the program running"
xdotool key Escape
expect_box "tarvik-downloader..." "Are you really going to quit?" cancel
holds_for 0.5 "the program ended after Cancel" program_running main

echo "-- Escape with a button focused does nothing"
wine "$WINE_RUN_PROBE" key-to-child "$main_title" 0 27
wine "$WINE_RUN_PROBE" no-msgbox "tarvik-downloader..." 1500 >/dev/null || fail "Escape on a button asked to quit"

echo "-- Alt+F4 asks; OK ends the program with exit code 1"
xdotool key alt+F4
expect_box "tarvik-downloader..." "Are you really going to quit?" ok
expect_exit main 1
echo PASS
