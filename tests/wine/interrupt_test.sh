#!/usr/bin/env bash
# Downloads that do not end the normal way, end to end under Wine against a
# throttled nginx: Exit during a download asks (Cancel keeps downloading, OK
# ends with code 1 and keeps the partial files), the next run resumes them
# with byte ranges, a process killed hard keeps what it wrote, and the run
# after that completes the client byte for byte.
#
#   interrupt_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE GAME.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
product=$1

root=$WINEPREFIX/server
# WinINet hands over 1 MiB at a time per transfer: at 1 MiB/s each, four
# files of about 15 MiB leave several seconds of work for each run.
publish_client "$root" "$2" bin/game.exe="$3" data/a.pak:16500000 data/b.pak:16000000 data/c.pak:15500000 \
  data/d.pak:15000000
total=$(bytes_in "$root/Live/fullclient/data")
download=$(default_download_folder)
start_content_server "$root" 1m

# start_and_download NAME BYTES: the program opens, has its manifest, Start
# is pressed, and BYTES more arrive.
start_and_download() {
  local before
  before=$(bytes_in "$download")
  open_program "$1" "$product"
  click start
  wait_until 30 "no $2 bytes arrived" holds_bytes "$download" $((before + $2))
}

echo "-- Exit during a download asks; the download goes on behind the question and after Cancel"
start_and_download first 1500000
click exit
expect_box "tarvik-downloader..." "Are you really going to quit?" none
before=$(bytes_in "$download")
wait_until 5 "the download stopped behind the question" holds_bytes "$download" $((before + 500000))
press_box "tarvik-downloader..." cancel
before=$(bytes_in "$download")
wait_until 5 "the download stopped after Cancel" holds_bytes "$download" $((before + 500000))
expect_picture downloading --buttons launch=X,start=X,pause=N,cancel=N,folder=X --fill any

echo "-- OK ends the program with exit code 1 and the partial files stay"
click exit
expect_box "tarvik-downloader..." "Are you really going to quit?" ok
expect_exit first 1
at_end=$(file_sizes "$download")
kept=$(partial_files "$download" "$root")
[[ -n $kept ]] || fail "no partial file was left"
[[ $(bytes_in "$download") -lt $total ]] || fail "the client was complete already"
holds_for 0.5 "the files changed after the program ended" sizes_are "$download" "$at_end"

echo "-- the next run resumes them; then it is killed hard in the middle"
requests=$(requests_logged)
start_and_download second 1500000
pid=$(program_linux_pid second) || fail "no process of the second run"
kill -KILL "$pid"
wait_until 10 "the killed program's probe did not end" program_ended second
expect_resumed "$kept" "$requests"
kept=$(partial_files "$download" "$root")
[[ -n $kept ]] || fail "the kill left no partial file"

echo "-- started again, Start: the client completes byte-identical"
requests=$(requests_logged)
start_and_download third 1
wait_until 60 "the download did not finish" holds_bytes "$download" "$total"
expect_picture finished --buttons launch=N,start=X,pause=X,cancel=N,folder=X --fill 584
same_client "$download" "$root"
expect_resumed "$kept" "$requests"
close_main_window third
echo PASS
