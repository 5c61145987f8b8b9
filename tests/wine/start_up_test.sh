#!/usr/bin/env bash
# The program's start-up under Wine, seen from outside: the version check and
# the download folder remembered in version.txt.
#
#   start_up_test.sh DOWNLOADER.EXE NO-VERSION-VARIANT.EXE MANIFEST-TOOL.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"

product=$1
no_version=$2

echo "-- a UX document without \"version\" stops the program with exit code 0 after its message"
start_program checked "$no_version"
expect_box "" "cApp::CheckVersion :: version check error(-41)" ok
expect_exit checked 0

echo "-- the folder stored in version.txt is restored and its levels created"
work=$(work_folder)
mkdir -p "$work"
printf '201904221642\nc:\\games\\client\\' >"$work/version.txt"
publish_client "$WINEPREFIX/server" "$3" game.exe:1000
start_content_server "$WINEPREFIX/server"
start_program restoring "$product" traced
wait_main_window
close_main_window restoring
if grep -a 'MSGBOX_OnInit' "${program_trace[restoring]}" | grep -v -q 'Are you really going to quit'; then
  fail "the start showed a box: $(grep -a 'MSGBOX_OnInit' "${program_trace[restoring]}")"
fi
[[ -d $WINEPREFIX/drive_c/games/client ]] || fail "c:\\games\\client was not created"
[[ $(cat "$work/version.txt") == $'201904221642\nc:\\games\\client\\' ]] || fail "version.txt changed"

echo PASS
