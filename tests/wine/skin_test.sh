#!/usr/bin/env bash
# Skins the program cannot use whole, seen from outside.
#   skin_test.sh NO-BUTTON-KEY.EXE NO-BACKGROUND.EXE NO-FOLDER-FONT.EXE MANIFEST-TOOL.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
work=$(work_folder)

echo "-- a button without its \"down\" image: the skin error, exit code -1"
start_program no_key "$1"
expect_box "tarvik-downloader..." "cWinMain::OnCreate :: ux-json error (-21)" ok
expect_exit no_key -1
echo "   the default folder was made before the skin was refused; version.txt was not written"
[[ -d $(default_download_folder) ]] || fail "no default folder"
[[ ! -e $work/version.txt ]] || fail "version.txt was written for a refused skin"

echo "-- no background image: told, exit code -1, never an invisible window"
start_program no_background "$2"
expect_box "tarvik-downloader..." "cWinMain::OnCreate :: background image error (-23)" ok
expect_exit no_background -1

echo "-- no folder font: the window runs without the folder text"
publish_client "$WINEPREFIX/server" "$4" game.exe:1000
start_content_server "$WINEPREFIX/server"
open_program no_font "$3"
expect_picture no-folder-font --folder-text no
close_main_window no_font
echo PASS
