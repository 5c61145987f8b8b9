#!/usr/bin/env bash
# Which manifest the program keeps, over several starts under Wine against
# nginx: the server's newer "Version" replaces the local file.json, an equal
# or older one does not, "fileT.json" never stays; a manifest the server does
# not have and a server that cannot be reached end the program with their
# boxes and codes, leaving the local file.json as it was. A newer manifest
# whose signature does not verify never replaces the verified local one: its
# box says so, and the download and Launch work over the local copy; an
# expired one, with no local copy, ends the program with its box.
#
#   versions_test.sh DOWNLOADER.EXE MANIFEST-TOOL.EXE GAME.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
product=$1
manifest_tool=$2

root=$WINEPREFIX/server
publish_client "$root" "$manifest_tool" --version 6 bin/game.exe="$3" data/a.pak:20000
served=$root/Live/fullclient/json/file.json
start_content_server "$root"

# The local manifests: the same client as version 5, and another client (one
# more file) as version 6, so that two version-6 manifests differ.
manifests=$(mktemp -d)
write_manifest "$manifest_tool" "$root/Live/fullclient/data" "$manifests/same-5.json" --version 5 ||
  fail "manifest-tool refused same-5.json"
other=$(mktemp -d)
cp -r "$root/Live/fullclient/data/." "$other"
head -c 1000 /dev/urandom >"$other/extra.dat"
write_manifest "$manifest_tool" "$other" "$manifests/other-6.json" --version 6 || fail "manifest-tool refused other-6.json"
cmp -s "$manifests/other-6.json" "$served" && fail "the two version-6 manifests are the same"

work=$(work_folder)
mkdir -p "$work"
watch_folder "$work" '%e %f' "$artifacts/work-folder-events"

# one_start NAME LOCAL-MANIFEST: a start with that local file.json; the
# window opens, loads the download information and is closed.
one_start() {
  cp "$2" "$work/file.json"
  cp "$2.sig" "$work/file.json.sig"
  : >"$artifacts/work-folder-events"
  open_program "$1" "$product"
  close_main_window "$1"
  [[ ! -e $work/fileT.json ]] || fail "fileT.json stayed after $1"
}

echo "-- local 5, server 6: the server's manifest replaces the local one"
one_start older "$manifests/same-5.json"
cmp -s "$work/file.json" "$served" || fail "file.json is not the server's version 6"
grep -q -x 'CREATE fileT.json' "$artifacts/work-folder-events" || fail "the server's copy was not fetched as fileT.json"

echo "-- local 6, server 6: the local one stays"
one_start equal "$manifests/other-6.json"
cmp -s "$work/file.json" "$manifests/other-6.json" || fail "the local version 6 was replaced"
grep -q -x 'CREATE fileT.json' "$artifacts/work-folder-events" || fail "the server's copy was not fetched as fileT.json"

echo "-- local 6, server 5: the local one stays"
cp "$manifests/same-5.json" "$served"
cp "$manifests/same-5.json.sig" "$served.sig"
one_start newer "$manifests/other-6.json"
cmp -s "$work/file.json" "$manifests/other-6.json" || fail "the local version 6 was replaced by a version 5"

echo "-- local 5, the server's 6 signed by another key: the box says so, the local copy stays, Start and Launch use it"
write_manifest "$manifest_tool" "$root/Live/fullclient/data" "$manifests/same-6.json" --version 6 ||
  fail "manifest-tool refused same-6.json"
cp "$manifests/same-6.json" "$served"
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$manifests/other.key" 2>/dev/null
sign_manifest "$served" "$manifests/other.key"
cp "$manifests/same-5.json" "$work/file.json"
cp "$manifests/same-5.json.sig" "$work/file.json.sig"
download=$(default_download_folder)
rm -rf "$download"
xdotool mousemove 5 5
start_program forged "$product"
expect_box "tarvik-downloader..." $'cWinMain::LoadDownloadInfo :: the download information from the server could not be verified: file.json does not match its signature file.json.sig\n\nThe copy verified before is used.' ok
wait_main_window
wait_client_size
cmp -s "$work/file.json" "$manifests/same-5.json" || fail "a forged manifest replaced the verified one"
cmp -s "$work/file.json.sig" "$manifests/same-5.json.sig" || fail "the verified manifest's signature changed"
[[ ! -e $work/fileT.json && ! -e $work/fileT.json.sig ]] || fail "the forged copy or its signature stayed"
click start
wait_until 30 "the download did not finish" holds_bytes "$download" "$(bytes_in "$root/Live/fullclient/data")"
wait_until 10 "Launch is not enabled" button_shows launch N
same_client "$download" "$root"
click launch
wait_until 15 "the game did not start" test -s "$download/bin/launched.txt"
expect_exit forged 1

echo "-- no local copy, the server's manifest signed but expired: its box, exit code 0, nothing kept"
write_manifest "$manifest_tool" "$root/Live/fullclient/data" "$served" --version 7 --expires 1 ||
  fail "manifest-tool refused the version 7"
sed -i 's/"Expires" : "[^"]*"/"Expires" : "2020-01-01T00:00:00Z"/' "$served"
sign_manifest "$served"
rm "$work/file.json" "$work/file.json.sig"
start_program expired "$product"
expect_box "tarvik-downloader..." 'cWinMain::LoadDownloadInfo :: the download information could not be verified: file.json expired at 2020-01-01T00:00:00Z (its "Expires", covered by its signature file.json.sig)' ok
expect_exit expired 0
[[ ! -e $work/file.json && ! -e $work/file.json.sig ]] || fail "the expired manifest or its signature was kept"

cp "$manifests/other-6.json" "$work/file.json"
cp "$manifests/other-6.json.sig" "$work/file.json.sig"

echo "-- no manifest on the server: the status, then the network box, exit code 0; file.json as it was"
rm "$served" "$served.sig"
start_program missing "$product"
expect_box "tarvik-downloader..." "cHttp::OnExecute :: HTTP status 404 (-6)" ok
expect_box "tarvik-downloader..." "cWinMain::LoadDownloadInfo :: network error, try again..." ok
expect_exit missing 0
cmp -s "$work/file.json" "$manifests/other-6.json" || fail "file.json changed after a 404"
[[ ! -e $work/fileT.json ]] || fail "fileT.json stayed after a 404"

echo "-- the server cannot be reached: its box, exit code -11; file.json as it was"
stop_content_server
start_program unreachable "$product"
expect_box "tarvik-downloader..." $'Currently you are not able to reach the server.\nPlease check your network and retry again.' ok
expect_exit unreachable -11
cmp -s "$work/file.json" "$manifests/other-6.json" || fail "file.json changed when the server could not be reached"
[[ ! -e $work/fileT.json ]] || fail "fileT.json stayed when the server could not be reached"
echo PASS
