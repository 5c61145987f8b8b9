#!/usr/bin/env bash
# On a screen narrower than the window, it opens partly off screen, as
# centred as it can be: 600 pixels wide gives x -20.
#   small_screen_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"

publish_client "$WINEPREFIX/server" "$2" game.exe:1000
start_content_server "$WINEPREFIX/server"
start_program main "$1"
wait_main_window
[[ $window_x == -20 && $window_y == 231 ]] || fail "window at ($window_x,$window_y) on a 600x800 screen"
close_main_window main
echo PASS
