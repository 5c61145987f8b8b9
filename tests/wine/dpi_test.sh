#!/usr/bin/env bash
# The main window on scaled displays, under Wine on a 1920x1080 screen whose
# prefix says 192 DPI (200 %), then 144 (150 %): its size and place are the
# skin's scaled, it shows the larger artwork with every button's image and the
# texts in place, and its buttons and background answer the mouse at their
# scaled places.
#
#   dpi_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
product=$1

publish_client "$WINEPREFIX/server" "$2" game.exe:200000
start_content_server "$WINEPREFIX/server"


# at X Y: the skin's point (X, Y) of the main window on the screen.
at() { echo $((window_x + $1 * scale_num / 2)) $((window_y + $2 * scale_num / 2)); }

for dpi in 192 144; do
  scale_num=$((dpi / 48))                     # twice the scale: 4 or 3
  scale=$(awk -v d="$dpi" 'BEGIN { print d / 96 }')
  width=$((640 * scale_num / 2)) height=$((380 * scale_num / 2))
  set_prefix_dpi "$dpi"
  open_program "main$dpi" "$product"

  echo "-- $dpi DPI: ${width}x$height, a tenth of the free height below the centre"
  [[ $window_size == "${width}x$height" && $window_x == $(((1920 - width) / 2)) &&
     $window_y == $(((1080 - height) / 2 + (1080 - height) / 20)) ]] ||
    fail "window is $window_size at ($window_x,$window_y)"
  expect_picture "opened-$dpi" --scale "$scale"

  echo "-- $dpi DPI: Exit answers at its scaled place, off its skin-sized one"
  # (606, 360) of the skin: inside Exit (546..616, 335..365), where an
  # unscaled Exit would lie far up and left of the pointer.
  xdotool mousemove $(at 606 360)
  expect_picture "exit-over-$dpi" --scale "$scale" --buttons launch=X,start=N,pause=X,cancel=O,folder=N
  # A fresh rest first (the hover notice, 3.3 s after the pointer came to
  # rest, turns a held press back to Over), still inside Exit.
  xdotool mousemove $(at 604 358) mousedown 1
  expect_picture "exit-down-$dpi" --scale "$scale" --buttons launch=X,start=N,pause=X,cancel=D,folder=N
  xdotool mousemove $(at 300 150)
  xdotool mouseup 1
  wine "$WINE_RUN_PROBE" no-msgbox "tarvik-downloader..." 1500 >/dev/null || fail "Exit ran its command after a drag off"

  echo "-- $dpi DPI: dragging the background moves the window by the drag's distance"
  expect_picture "rested-$dpi" --scale "$scale"
  from_x=$window_x from_y=$window_y
  xdotool mousedown 1 mousemove $(( $(at 300 150 | cut -d' ' -f1) + 40 )) $(( $(at 300 150 | cut -d' ' -f2) + 25 )) mouseup 1
  poll 10 window_at $((from_x + 40)) $((from_y + 25)) || fail "window at ($window_x,$window_y) after a drag by (40,25)"

  echo "-- $dpi DPI: Exit's click asks; OK ends the program with exit code 1"
  xdotool mousemove $(at 581 350)
  expect_picture "exit-over-again-$dpi" --scale "$scale" --buttons launch=X,start=N,pause=X,cancel=O,folder=N
  xdotool click 1
  expect_box "tarvik-downloader..." "Are you really going to quit?" ok
  expect_exit "main$dpi" 1
done
echo PASS
