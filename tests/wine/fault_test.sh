#!/usr/bin/env bash
# A download against our fault-injecting server, end to end under Wine: one
# file's response ends early (the transfer resumes it with a byte range and
# it arrives whole); another ends early and is then answered with an error
# status (the run ends incomplete: its box, the row back in Paused, Launch
# disabled, the error page not in the file). Start again while the server
# holds a response mid-body: what arrived is on disk, and Pause a second into
# the stall leaves the window answering the mouse at once. Once the server
# answers again, Start completes the client byte for byte.
#
#   fault_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE GAME.EXE FAULT-SERVER.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"

root=$WINEPREFIX/server
publish_client "$root" "$2" bin/game.exe="$3" data/early.pak:3000000 data/failing.pak:3000000 data/plain.pak:2000000
data=$root/Live/fullclient/data
download=$(default_download_folder)
start_fault_server "$4" "$root"
fault_command fault /Live/fullclient/data/data/early.pak endAfter=1000000 times=1
fault_command fault /Live/fullclient/data/data/failing.pak endAfter=1500000 times=1
fault_command fault /Live/fullclient/data/data/failing.pak status=503

open_program main "$1"
logged "/Live/fullclient/json/file.json range=bytes=0-" || fail "the manifest was not asked for whole"

echo "-- Start: an early end is resumed; an error status ends the run incomplete"
click start
expect_box "tarvik-downloader..." "cHttp::OnExecute :: HTTP status 503 (-6)" ok
expect_box "tarvik-downloader..." \
  $'The download did not complete: 1 file is missing, the first being\ndata/failing.pak\n\nPress Start to try again.' ok
expect_picture incomplete --buttons launch=X,start=N,pause=X,cancel=N,folder=N --fill any
logged "/Live/fullclient/data/data/early.pak range=bytes=1000000-" || fail "early.pak was not resumed at its end"
grep -q 'network error (-92)' "$(work_folder)/qzloader.log" || fail "the early end is not in the transfer log"
cmp -s "$data/data/early.pak" "$download/data/early.pak" || fail "early.pak is not whole"
[[ $(stat -c %s "$download/data/failing.pak") == 1500000 ]] || fail "failing.pak has $(stat -c %s "$download/data/failing.pak") bytes"
cmp -s -n 1500000 "$data/data/failing.pak" "$download/data/failing.pak" || fail "failing.pak holds other bytes"

echo "-- a response held mid-body: its bytes are on disk, and Pause does not wait for the server"
fault_command clear
fault_command fault /Live/fullclient/data/data/failing.pak stallAfter=200000 times=2  # the length probe, then the range
click start
wait_until 20 "the bytes before the stall are not on disk" has_size "$download/data/failing.pak" 1700000
holds_for 1 "failing.pak grew during the stall" has_size "$download/data/failing.pak" 1700000
point_at pause
xdotool click 1
paused=$(date +%s%N)
move_pointer "$(button_x start)" 350
wait_until 10 "Start does not show Over after Pause" button_shows start O
answered_ms=$((($(date +%s%N) - paused) / 1000000))
# A window frozen in Pause answers only when the server ends the stall (30 s);
# the bound leaves room for the screenshots of a loaded machine.
((answered_ms < 2500)) || fail "the window answered the mouse $answered_ms ms after Pause"
echo "   the window answered the mouse $answered_ms ms after Pause"
expect_picture paused-in-stall --buttons launch=X,start=O,pause=X,cancel=N,folder=N --fill any
[[ $(stat -c %s "$download/data/failing.pak") == 1700000 ]] || fail "failing.pak lost bytes at the Pause"

echo "-- the server answers again: Start completes the client"
fault_command clear
click start
wait_until 30 "the download did not finish" holds_bytes "$download" "$(bytes_in "$data")"
expect_picture finished --buttons launch=N,start=X,pause=X,cancel=N,folder=X --fill 584
same_client "$download" "$root"
logged "/Live/fullclient/data/data/failing.pak range=bytes=1500000-" || fail "failing.pak was not resumed"
logged "/Live/fullclient/data/data/failing.pak range=bytes=1700000-" || fail "failing.pak was not resumed after the stall"
close_main_window main
echo PASS
