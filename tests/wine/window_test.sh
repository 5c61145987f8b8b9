#!/usr/bin/env bash
# The main window as a player meets it, under Wine on a 1920x1080 screen:
# where it opens, what it shows, what a screen reader learns of it, how it
# answers the mouse and the keyboard, its context menu (the speed limit kept
# for the next start, the download folder opened), and how it closes.
#
#   window_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
product=$1
manifest_tool=$2

publish_client "$WINEPREFIX/server" "$manifest_tool" game.exe:200000
start_content_server "$WINEPREFIX/server"
open_program main "$product" menus

echo "-- 640x380, a tenth of the free height below the centre"
[[ $window_size == 640x380 && $window_x == 640 && $window_y == 385 ]] ||
  fail "window is $window_size at ($window_x,$window_y)"
# The focus is on Start, unmarked until the keyboard is used.
expect_picture opened

echo "-- a screen reader meets five named push buttons (Start focused, Play and Pause unavailable) and the figures"
accessible=$(wine "$WINE_RUN_PROBE" accessible "$main_title" | tr -d '\r') || fail "no accessible objects: $accessible"
echo "$accessible" >"$artifacts/accessible.txt"
figures='Remained : 00:00:00, Elapsed : 00:00:00, Transfered : 000.0 MBytes, Total Size : 0.2 MBytes'
for line in 'text=Folder|name=Folder|role=push button|state=focusable' \
  'text=Play|name=Play|role=push button|state=unavailable,focusable' \
  'text=Start|name=Start|role=push button|state=focused,focusable' \
  'text=Pause|name=Pause|role=push button|state=unavailable,focusable' \
  'text=Exit|name=Exit|role=push button|state=focusable' \
  'text=0.00%, 0.000 MiB/Sec|name=0.00%, 0.000 MiB/Sec|role=static text|state=read only' \
  "text=$figures|name=$figures|role=static text|state=read only"; do
  grep -q -x -F "$line" <<<"$accessible" || fail "no '$line' among: $accessible"
done

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

echo "-- Tab marks the focus on Exit (Pause and Play passed over), Shift+Tab on Start again"
xdotool key Tab
wait_until 5 "Tab did not take the focus to Exit" button_shows exit O
button_shows start N || fail "Start still shows the focus after Tab"
xdotool key shift+Tab
wait_until 5 "Shift+Tab did not take the focus back to Start" button_shows start O
button_shows exit N || fail "Exit still shows the focus after Shift+Tab"

echo "-- the context menu: a right click on the background or the panel; the limit chosen with the keys is kept"
open_menu main right-click 300 150
[[ $(menu_item_state main "Verify and repair files" "$menu_from") == - ]] || fail "Verify and repair is not enabled before a run"
xdotool key Escape
open_menu main right-click 100 297  # the panel
xdotool key Escape
open_menu main shift+F10
# The first item, its submenu, then the fifth limit: 1 MB/s.
xdotool key Down Right Down Down Down Down Return
wait_until 10 "settings.txt does not hold the chosen limit" \
  grep -q -x -F 'speed-limit=1048576' "$(work_folder)/settings.txt"

echo "-- Escape on the focused button asks; Cancel keeps the program running"
xdotool key Escape
expect_box "tarvik-downloader..." "Are you really going to quit?" cancel
holds_for 0.5 "the program ended after Cancel" program_running main

echo "-- the menu key, then Open download folder: the shell's file browser shows it"
open_menu main Menu
xdotool key Down Down Down Return
wait_until 20 "no file browser on the download folder" xdotool search --name '^zt_kr$'
wine "$WINE_RUN_PROBE" close zt_kr || fail "the file browser cannot be closed"
# Closing the browser leaves the X focus wherever Wine puts it, sometimes on
# no window: the player comes back to the main window before the keys.
wait_until 10 "the file browser stays open" eval '! xdotool search --name "^zt_kr\$" >/dev/null'
xdotool windowfocus "$window_id"
wait_until 10 "the main window does not take the focus back" eval '[[ $(xdotool getwindowfocus) == "$window_id" ]]'

echo "-- Alt+F4 asks; OK ends the program with exit code 1"
xdotool key alt+F4
expect_box "tarvik-downloader..." "Are you really going to quit?" ok
expect_exit main 1

echo "-- the next start shows the kept limit checked, and Enter downloads at it"
publish_client "$WINEPREFIX/server" "$manifest_tool" --version 2 data/big.pak:4194304
open_program again "$product" menus
open_menu again shift+F10 Down Right
wait_until 10 "1 MB/s is not checked after a restart" eval '[[ $(menu_item_state again "1 MB/s" "$menu_from") == check ]]'
[[ $(menu_item_state again "No limit" "$menu_from") != *check* ]] || fail "No limit is checked as well"
xdotool key Escape Escape
xdotool key Return
download=$(default_download_folder)
# The rate between the first and the third MiB on disk: Wine's start and the
# manifest's check do not count.
wait_until 20 "the download did not begin" holds_bytes "$download" 1048576
first=$(date +%s%N)
wait_until 20 "the download stalled" holds_bytes "$download" 3145728
rate=$((2 * 1048576 * 1000000000 / ($(date +%s%N) - first)))
echo "   $rate bytes a second"
((rate > 943718 && rate < 1153433)) || fail "the download ran at $rate bytes a second, not 1 MB/s"
wait_until 20 "the download did not finish" holds_bytes "$download" 4394304
close_main_window again
echo PASS
