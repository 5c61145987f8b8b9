#!/usr/bin/env bash
# https under Wine, against nginx with a throwaway authority made now: the
# program built with an https base URL, in a prefix that does not trust the
# authority, tells the player the untrusted issuer and then the unreachable
# server; trusted in this prefix alone, client-fetch brings the client
# byte-identical while the wrong name, an expired certificate and a redirect
# to http are each refused by name; and the program downloads the client
# over https and launches the game.
#
#   https_test.sh DOWNLOADER_HTTPS.EXE CLIENT-FETCH.EXE MANIFEST-TOOL.EXE GAME.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
program=$1
client_fetch=$2
manifest_tool=$3
game=$4

certs=$(mktemp -d)
at_exit "rm -rf '$certs'"
make_test_certs "$certs"
port=${DOWNLOADER_HOST##*:}
content_origin=https://localhost:$port
root=$WINEPREFIX/server
publish_client "$root" "$manifest_tool" bin/game.exe="$game" data/maps/north.pak:3000000 data/readme.txt:3000
total=$(bytes_in "$root/Live/fullclient/data")
start_content_server "$root" 0 "$certs/localhost.pem" "$certs/server.key"
work=$(work_folder)

echo "-- the prefix does not trust the authority: the untrusted issuer is named, then the server is unreachable"
start_program untrusted "$program"
expect_box "tarvik-downloader..." "cHttp::OnExecute :: certificate error: untrusted issuer (-14)" ok
expect_box "tarvik-downloader..." $'Currently you are not able to reach the server.\nPlease check your network and retry again.' ok
expect_exit untrusted -11
[[ ! -e $work/file.json ]] || fail "a manifest from a refused server was kept"

# fetch URL: client-fetch of the client at URL into a folder of its own; its
# output in $artifacts/fetch.out, its status returned.
fetches=0
fetch() {
  local status=0
  fetches=$((fetches + 1))
  wine "$client_fetch" "$1" "$(windows_path "$WINEPREFIX")\\fetched-$fetches" >"$artifacts/fetch.out" 2>&1 || status=$?
  return "$status"
}
# refused URL TEXT: client-fetch ends non-zero and prints the box TEXT, then
# the unreachable server's.
refused() {
  if fetch "$1"; then fail "client-fetch took $1"; fi
  grep -q -x -F -e "[] cHttp::OnExecute :: $2" -e $'[] cHttp::OnExecute :: '"$2"$'\r' "$artifacts/fetch.out" ||
    fail "client-fetch of $1 did not say '$2': $(head -c 300 "$artifacts/fetch.out")"
  grep -q -F "Currently you are not able to reach the server." "$artifacts/fetch.out" ||
    fail "client-fetch of $1 did not end as unreachable"
}

echo "-- trusted in this prefix alone: client-fetch over https; the wrong name and a redirect to http refused"
trust_test_ca "$certs/ca.pem"
fetch "$content_origin/Live/fullclient/json/" || fail "client-fetch over https failed: $(tail -n 3 "$artifacts/fetch.out")"
same_client "$WINEPREFIX/fetched-$fetches" "$root"
refused "https://127.0.0.1:$port/Live/fullclient/json/" "certificate error: wrong name (-15)"
refused "$content_origin/to-http/Live/fullclient/json/" "redirect from https to http refused (-18)"
stop_content_server
start_content_server "$root" 0 "$certs/expired.pem" "$certs/server.key"
refused "$content_origin/Live/fullclient/json/" "certificate error: expired (-16)"
stop_content_server

echo "-- the program over https: Start, Finished with a byte-identical client, Launch"
start_content_server "$root" 2m "$certs/localhost.pem" "$certs/server.key"
download=$(default_download_folder)
open_program main "$program"
click start
wait_until 60 "the download did not finish" holds_bytes "$download" "$total"
expect_picture finished --buttons launch=N,start=X,pause=X,cancel=N,folder=X --fill 584
same_client "$download" "$root"
grep -q "^/Live/fullclient/data/bin/game.exe 206" "$server_log" || fail "the game was not fetched over https"
click launch
wait_until 15 "the game did not start" test -s "$download/bin/launched.txt"
expect_exit main 1
echo PASS
