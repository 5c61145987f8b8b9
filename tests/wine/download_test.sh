#!/usr/bin/env bash
# A player's first run, end to end under Wine, against nginx serving a
# published client slowly enough to watch: the manifest arrives, Start with
# Enter, Pause with Tab and Enter in the middle of the files, Start again with
# the mouse (resumed with byte ranges, the bar back to 0 and climbing),
# Finished with Launch on screen and the focus on it, a byte-identical client,
# the menu's Verify and repair (grey during a run) fetching a changed game
# again, and Launch starting the game from the download folder. Names of
# every kind on the way: the client's (spaces, accents, CJK, characters a URL
# encodes), the download folder's and the %TEMP% that holds the work folder.
#
#   download_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE GAME.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
manifest_tool=$2
game=$3

# The program runs from a folder that holds a game of the same name: a
# launch by bare name would start that one instead.
launcher=$WINEPREFIX/drive_c/launcher
mkdir -p "$launcher/bin"
cp "$1" "$launcher/downloader.exe"
cp "$game" "$launcher/bin/game.exe"

letters="été 音声 #%+&'[]"
use_temp_folder "Joueur $letters"
root=$WINEPREFIX/server
publish_client "$root" "$manifest_tool" bin/game.exe="$game" "Données/cartes/nord été.pak:5000000" \
  "音声/南 #%+&'[]{.pak:4500000" "Sound Banks/Ambience 1.ogg:4000000" data/sound/voice.ogg:2000000 data/readme.txt:3000
grep -q -F '"Name" : "音声/南 #%+&'"'"'[]{.pak"' "$root/Live/fullclient/json/file.json" ||
  fail "the manifest does not list the name as it is"
total=$(bytes_in "$root/Live/fullclient/data")
start_content_server "$root" 1m

# Every file made in the work folder, from before the program starts; the
# download folder, as a previous run left it in version.txt.
work=$(work_folder)
mkdir -p "$work"
download_windows="C:\\Jeux $letters\\client\\"
download="$WINEPREFIX/drive_c/Jeux $letters/client"
printf '201904221642\n%s' "$download_windows" >"$work/version.txt"
watch_folder "$work" '%f' "$artifacts/work-folder-events"

echo "-- first run: the manifest lands in the work folder as file.json"
open_program main "$launcher/downloader.exe" menus
[[ -s $work/file.json ]] || fail "no file.json in the work folder"
cmp -s "$work/file.json" "$root/Live/fullclient/json/file.json" || fail "file.json is not the server's manifest"
expect_picture ready
[[ -d $download ]] || fail "the download folder was not made under its own letters"

echo "-- Enter on the opened window starts; the menu's Verify and repair is grey during the run; Tab, Enter pauses"
xdotool key Return
wait_until 30 "no 3 MB arrived" holds_bytes "$download" 3000000
open_menu main shift+F10
[[ $(menu_item_state main "Verify and repair files" "$menu_from") == grey ]] ||
  fail "Verify and repair is not grey during a run"
xdotool key Escape
# Pause, the next enabled button after the Start just pressed.
xdotool key Tab
wait_until 5 "Tab did not take the focus to Pause" button_shows pause O
xdotool key Return
# Pause disabled, with the focus on it.
expect_picture paused --buttons launch=X,start=N,pause=X,cancel=N,folder=N --fill any
paused_fill=$(bar_fill "$artifacts/paused.png")
((paused_fill > 0)) || fail "the bar is empty after part of the client arrived"
at_pause=$(file_sizes "$download")
holds_for 1 "files still grow after Pause" sizes_are "$download" "$at_pause"
partial=$(partial_files "$download" "$root")
[[ -n $partial ]] || fail "Pause did not land in the middle of a file"
requests_before=$(requests_logged)

echo "-- Start again: the bar drops to 0.00% and climbs"
watch_bar 3 "$artifacts/bar-after-start"
click start
wait "$watch_pid"
awk -v paused="$paused_fill" '
  NR == 1 && $2 != paused { exit 1 }   # before the click: the paused bar
  phase == 0 && $2 == 0 { phase = 1 }  # the drop
  phase == 1 && $2 > paused { phase = 2 }
  END { exit phase == 2 ? 0 : 1 }' "$artifacts/bar-after-start" ||
  fail "the bar did not go from $paused_fill to 0 and past $paused_fill: $(awk '{print $2}' "$artifacts/bar-after-start" | uniq | head -n 20 | tr '\n' ' ')"

echo "-- Finished: a byte-identical client, Launch enabled and focused; each partial file was resumed (its name encoded)"
wait_until 60 "the download did not finish" holds_bytes "$download" "$total"
# Play shows its focus: the keyboard has been used.
expect_picture finished --buttons launch=O,start=X,pause=X,cancel=N,folder=X --fill 584
expect_resumed "$partial" "$requests_before"
same_client "$download" "$root"
grep -q -x 'fileT.json' "$artifacts/work-folder-events" && fail "a fileT.json was made on a first run"
grep -q -x 'file.json' "$artifacts/work-folder-events" || fail "the watch saw no file.json"
while read -r size name; do
  grep -q -F "/Live/fullclient/data/$(url_path "$name") 20" "$server_log" || fail "$name was not asked for encoded"
done < <(file_sizes "$download")
grep -q -F '/Live/fullclient/data/%E9%9F%B3%E5%A3%B0/%E5%8D%97%20%23%25%2B%26%27%5B%5D%7B.pak 20' "$server_log" ||
  fail "音声/南 #%+&'[]{.pak was not asked for as %E9%9F%B3%E5%A3%B0/%E5%8D%97%20%23%25%2B%26%27%5B%5D%7B.pak"
[[ $(tr -d '\r' <"$work/version.txt" | tail -n 1) == "$download_windows" ]] || fail "version.txt: $(cat "$work/version.txt")"

echo "-- the game changed on disk since the download: Launch refuses, starts nothing; Verify and repair repairs it"
cp "$download/bin/game.exe" "$artifacts/game.exe"
printf 'X' | dd of="$download/bin/game.exe" bs=1 seek=100 conv=notrunc status=none
click launch
expect_box "tarvik-downloader..." \
  $'cBtnLaunch::OnExecute :: bin/game.exe does not match its manifest; the game was not started.\nPress Start to repair it.' ok
holds_for 1 "a changed game was started" test ! -e "$download/bin/launched.txt"
expect_picture launch-refused --buttons launch=X,start=N,pause=X,cancel=N,folder=N --fill 584
open_menu main shift+F10
[[ $(menu_item_state main "Verify and repair files" "$menu_from") == - ]] || fail "Verify and repair is not enabled after a run"
xdotool key Down Down Return
wait_until 30 "the changed game was not fetched again" cmp -s "$download/bin/game.exe" "$artifacts/game.exe"
expect_picture finished-again --buttons launch=O,start=X,pause=X,cancel=N,folder=X --fill 584

echo "-- Launch starts bin\\game.exe of the download folder, there, and the downloader ends"
click launch
wait_until 15 "the game did not start" test -s "$download/bin/launched.txt"
record=$(tr -d '\r' <"$download/bin/launched.txt" | tr 'A-Z' 'a-z')
[[ $record == "module=c:\\jeux $letters\\client\\bin\\game.exe"$'\n'"folder=c:\\jeux $letters\\client"* ]] ||
  fail "the game recorded: $record"
[[ ! -e $launcher/bin/launched.txt ]] || fail "the game beside the downloader was started"
expect_exit main 1
echo PASS
