#!/usr/bin/env bash
# The program's entry under Wine, seen from outside: the single-instance
# guard, the exit codes and the work folder.
#
#   entry_test.sh DOWNLOADER.EXE NO-UX-VARIANT.EXE MANIFEST-TOOL.EXE
#
# The variant is the same program built without its UX document: it stops in
# its "loading error (-22)" box, so it is a first instance that keeps running
# (holding the guard) for as long as the test leaves the box open.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"

product=$1
waiting_variant=$2
publish_client "$WINEPREFIX/server" "$3" game.exe:1000
start_content_server "$WINEPREFIX/server"

echo "-- a first instance holds the guard while it waits in a box"
start_program first "$waiting_variant"
expect_box "" "cApp::OnExecute :: file(ux.json) loading error (-22)" none

echo "-- a second instance is refused with its own box and exit code 0"
start_program second "$product"
expect_box "tarvik-downloader..." "The downloader is already running." ok
expect_exit second 0

echo "-- the first instance ends when its box is dismissed"
press_box "" ok
expect_exit first 0

echo "-- with the first one gone, a new instance starts: no refusal, its window opens"
start_program third "$product" traced
wait_main_window
close_main_window third
if grep -a -q 'already running' "${program_trace[third]}"; then fail "the third instance was refused"; fi

echo "-- the work folder's two levels exist under the temporary folder"
work=$(work_folder)
[[ -d $work ]] || fail "no work folder at $work"

echo "PASS"
