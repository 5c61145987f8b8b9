#!/usr/bin/env bash
# Free space, end to end under Wine: on a real small drive (a tmpfs mapped as
# s:) holding exactly the client's size, and then a page less, Start refuses
# with its box and nothing moves; with part of a client on it and room for
# the rest, though not for the whole client, Start downloads the rest; the folder dialog opens on the download
# folder, selected and in view, with its free space where its marker was, and
# the folder chosen there (its name of any letters) is drawn, stored in
# version.txt and downloaded into.
#
#   space_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE GAME.EXE
# Needs root (it mounts the small drive); exits 77 (skipped) otherwise.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
product=$1
[[ $(id -u) == 0 ]] || { echo "SKIP: mounting a small drive needs root"; exit 77; }

small=$(mktemp -d)
mount -t tmpfs -o size=4m tmpfs "$small" || fail "cannot mount a tmpfs"
at_exit "umount '$small' && rmdir '$small'"
ln -s "$small" "$WINEPREFIX/dosdevices/s:"
# Folders take no blocks on a tmpfs: the download folder changes nothing.
mkdir "$small/client"
free_bytes() { df -B1 --output=avail "$small" | tail -n 1 | tr -d ' '; }

# A client of exactly the drive's free bytes.
root=$WINEPREFIX/server
game_size=$(stat -c %s "$3")
publish_client "$root" "$2" bin/game.exe="$3" data/fill.bin:$(($(free_bytes) - game_size))
total=$(bytes_in "$root/Live/fullclient/data")
start_content_server "$root"

work=$(work_folder)
mkdir -p "$work"
printf '201904221642\ns:\\client\\' >"$work/version.txt"
open_program main "$product"
requests=$(requests_logged)

refusal=$'This disk drive(s:) does not have enough capacity.\nPlease change the download folder or free up capacity.   '
# nothing_moved: no request since the manifest, no byte on s:.
nothing_moved() {
  [[ $(requests_logged) == "$requests" ]] || fail "a transfer started: $(tail -n 1 "$server_log")"
  [[ $(bytes_in "$small/client") == 0 ]] || fail "files were written to s:"
}
# refused: Start answers with the refusal box; no transfer starts (watched
# for a second) and the command row stays as it was.
refused() {
  click start
  expect_box "Downloader - TARVIK ..." "$refusal" ok
  expect_picture "$1"
  holds_for 1 "a transfer started" nothing_moved
}

echo "-- s: has exactly the client's $total bytes free: refused"
[[ $(free_bytes) == "$total" ]] || fail "s: has $(free_bytes) bytes free, the client $total"
refused refused-exact
echo "-- a page less: refused"
head -c 4096 /dev/zero >"$small/taken.bin"
[[ $(free_bytes) == $((total - 4096)) ]] || fail "s: has $(free_bytes) bytes free"
refused refused-less

echo "-- the folder dialog opens on s:\\client, selected and in view, with its free space"
chosen_name="choisi été 音声 #%+&'[]"
chosen=$WINEPREFIX/drive_c/games/$chosen_name
mkdir -p "$chosen"
folder_text() { shoot "$1" && convert "$1" -crop 173x19+128+343 +repage rgb:- | md5sum; }
before=$(folder_text "$artifacts/before-dialog.png")
click folder
opening_report=$(awk -v required="$total" -v free="$(free_bytes)" \
  'BEGIN { printf "At least %.3fGB is required.\nYour free space : %.3fGB", required / 2^30, free / 2^30 }')
# Wine's dialog moves to the Desktop by itself after the preselection: the
# program takes the selection back, and it stays.
on_download_folder() {
  dialog=$(wine "$WINE_RUN_PROBE" folder-dialog "Browse for Folder" | tr -d '\r') || fail "no folder dialog"
  echo "$dialog" >"$artifacts/dialog.txt"
  [[ $(grep '^item=' <<<"$dialog" | tail -n 1) == item=client && $dialog == *$'\nin-view=1\nstatus='"$opening_report" ]]
}
wait_until 10 "the dialog did not open on s:\\client ($artifacts/dialog.txt)" on_download_folder
holds_for 1 "the dialog's selection moved ($artifacts/dialog.txt)" on_download_folder
echo "   $(grep '^item=' <<<"$dialog" | tr '\n' ' ')"

echo "-- another folder chosen there: its free space instead of the report"
report=$(wine "$WINE_RUN_PROBE" choose-folder "Browse for Folder" "C:\\games\\$chosen_name" | tr -d '\r') ||
  fail "no folder dialog"
host_free=$(df -B1 --output=avail "$chosen" | tail -n 1)
echo "   $report"
/usr/bin/python3 - "$report" "$total" "$host_free" <<'PY' || fail "the dialog's report is wrong"
import re, sys
report, required, free = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
match = re.fullmatch(r"At least (\d+\.\d{3})GB is required\.\nYour free space : (\d+\.\d{3})GB", report)
sys.exit(0 if match and match.group(1) == "%.3f" % (required / 2**30)
         and abs(float(match.group(2)) - free / 2**30) < 0.05 else 1)
PY

echo "-- the chosen folder is stored in version.txt and drawn"
stored_folder() { tr -d '\r' <"$work/version.txt" | tail -n +2 | grep -q -i -x -F "$1"; }
wait_until 10 "version.txt does not hold the chosen folder" stored_folder "c:\\games\\$chosen_name"
expect_picture chosen
[[ $(folder_text "$artifacts/after-dialog.png") != "$before" ]] || fail "the folder text did not change"

echo "-- Start downloads the client into it"
click start
wait_until 30 "the download did not finish" holds_bytes "$chosen" "$total"
expect_picture finished --buttons launch=N,start=X,pause=X,cancel=N,folder=X --fill 584
same_client "$chosen" "$root"
close_main_window main

echo "-- s: with room for what is left but not for the whole client: Start downloads the rest there"
rm -f "$small/taken.bin"
# Two pages smaller than the drive, with a page more than that on s: already.
publish_client "$root" "$2" --version 2 data/fill.bin:$(($(free_bytes) - game_size - 8192))
total=$(bytes_in "$root/Live/fullclient/data")
mkdir -p "$small/client/data"
head -c 12288 "$root/Live/fullclient/data/data/fill.bin" >"$small/client/data/fill.bin"
(($(free_bytes) < total)) || fail "s: holds the whole client: $(free_bytes) bytes free for $total"
printf '201904221642\ns:\\client\\' >"$work/version.txt"
open_program resumed "$product"
click start
wait_until 30 "the rest of the client did not arrive on s:" holds_bytes "$small/client" "$total"
same_client "$small/client" "$root"
close_main_window resumed
echo PASS
