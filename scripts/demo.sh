#!/usr/bin/env bash
# Sets up this machine, builds downloader.exe and shows it at work under Wine,
# driven from outside as a player would drive it, against a content server on
# loopback (nginx):
#   1. a client of about 100 MB is published: its files (with a small game,
#      bin/game.exe, as the launch target) and a manifest written by
#      manifest-tool and signed with the development key (made once, in
#      build/dev-keys/, by the first configure; the program trusts its public
#      half), served over https (a throwaway certificate authority, made now
#      and trusted in the demo's Wine prefix alone) four connections at a time
#      at 1.25 MB/s each, so the download takes about 20 seconds; a forged
#      copy of the manifest is shown refused by client-fetch;
#   2. downloader.exe starts (on your display when there is one, else on a
#      private Xvfb), shows the client's size, and Start is pressed;
#   3. part way, Pause: the transfers stop with the files half written;
#   4. Start again: the server is asked for byte ranges from where each file
#      stopped;
#   5. Finished: the client is byte-identical to the published one and Launch
#      is enabled; Launch starts the game from the download folder and the
#      downloader ends.
# A screenshot is taken at each stage; their files are named at the end. Any
# step that does not happen stops the demo with "FAIL: ..." and status 1.
#
#   scripts/demo.sh [--xvfb]     --xvfb: never use your display
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$(pwd)
demo=$repo/build/demo
source "$repo/tests/wine/wine_test_lib.sh"

if [[ ${1:-} != --session ]]; then
  scripts/setup.sh
  echo "== building downloader.exe (its https build), manifest-tool.exe, client-fetch.exe, the demo game and the probe (windows preset)"
  windows_session_environment downloader_https manifest-tool client-fetch test_game
  echo "== building manifest-tool for signing (native-release preset)"
  cmake --preset native-release >/dev/null && cmake --build --preset native-release --target manifest-tool >/dev/null
  file build/windows/tests/wine/downloader_https.exe
  rm -rf "$demo"
  mkdir -p "$demo"
  display=()
  if [[ ${1:-} != --xvfb && -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    display=(--display)
    echo "== the demo runs on your display ($DISPLAY); please leave the mouse alone for a minute"
  fi
  export WINE_TEST_ARTIFACTS=$demo/screenshots
  exec scripts/wine-run.sh --prefix "$demo/prefix" "${display[@]}" --shell -- bash "$repo/scripts/demo.sh" --session
fi

# ---- inside the Wine session ----
# The program as the windows preset builds it, with the https base URL of
# the same loopback server (https://localhost:PORT/Live/fullclient/json/).
product=$repo/build/windows/tests/wine/downloader_https.exe
game=$repo/build/windows/tests/wine/game.exe

mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
# until_bytes BYTES: waits for that much of the client on disk, saying how far
# it has come every second (at most 90 s).
until_bytes() {
  local seconds=0 have
  while have=$(bytes_in "$download"); ((have < $1)); do
    ((seconds++ < 90)) || fail "the download did not reach $(mib "$1") (it has $(mib "$have"))"
    echo "   $(mib "$have") of $(mib "$total") on disk"
    sleep 1
  done
}

content_origin=https://localhost:${DOWNLOADER_HOST##*:}
echo "== 1. publishing a client of about 100 MB at $content_origin/Live/fullclient/"
make_test_certs "$demo/certs"
trust_test_ca "$demo/certs/ca.pem"
echo "   a throwaway authority ($demo/certs/ca.pem) vouches for \"localhost\"; only the demo's Wine prefix trusts it"
root=$demo/server
publish_client "$root" "$repo/build/windows/tools/manifest/manifest-tool.exe" bin/game.exe="$game" \
  data/maps/north.pak:14000000 data/maps/south.pak:13500000 data/maps/east.pak:13000000 data/maps/west.pak:12500000 \
  data/sound/music.ogg:12000000 data/sound/voices.ogg:11500000 data/textures.pak:11000000 data/video/intro.bik:10500000
total=$(bytes_in "$root/Live/fullclient/data")
download=$(default_download_folder)
json=$root/Live/fullclient/json
# What an operator does for each publication, on the machine that holds the
# private key: sign the manifest, then check it as players will meet it.
signer=$repo/build/native-release/tools/manifest/manifest-tool
"$signer" sign "$json/file.json" --key "$DOWNLOADER_DEV_KEY" >/dev/null || fail "manifest-tool sign failed"
"$signer" check "$json/file.json" --folder "$root/Live/fullclient/data" --public "${DOWNLOADER_DEV_KEY%.key}.pub" |
  grep -q 'signed by' || fail "manifest-tool check does not find the signature sound"
echo "   file.json signed with build/dev-keys/manifest.key: file.json.sig, $(stat -c %s "$json/file.json.sig") bytes"
start_content_server "$root" 1250k "$demo/certs/localhost.pem" "$demo/certs/server.key"
echo "   $(find "$root/Live/fullclient/data" -type f | wc -l) files, $(mib "$total"); nginx sends each over https at 1.25 MB/s (4 at a time)"

echo "   a forged manifest (one byte changed) is refused before any file is fetched:"
cp "$json/file.json" "$demo/signed.json"
sed -i '0,/"Version" : 1/s//"Version" : 9/' "$json/file.json"
forged_status=0
WINEDEBUG=-all wine "$repo/build/windows/tools/fetch/client-fetch.exe" "$content_origin/Live/fullclient/json/" \
  "$(windows_path "$demo")\\forged" >"$demo/forged.txt" 2>&1 || forged_status=$?
((forged_status == 1)) && grep -q 'could not be verified' "$demo/forged.txt" || fail "client-fetch took a forged manifest: $(cat "$demo/forged.txt")"
[[ -z $(ls -A "$demo/forged" 2>/dev/null) ]] || fail "client-fetch wrote files of a forged manifest"
sed 's/^/     /' <(tr -d '\r' <"$demo/forged.txt" | grep 'could not be verified')
cp "$demo/signed.json" "$json/file.json"

echo "== 2. downloader.exe starts; a third of a second later it shows the client's size"
open_program demo "$product"
expect_picture 1-ready >/dev/null
echo "   Start"
click start
until_bytes $((total / 4))
expect_picture 2-downloading --buttons launch=X,start=X,pause=N,cancel=N,folder=X --fill any >/dev/null

echo "== 3. Pause part way"
until_bytes $((total * 2 / 5))
click pause
expect_picture 3-paused --buttons launch=X,start=N,pause=X,cancel=N,folder=N --fill any >/dev/null
paused_sizes=$(file_sizes "$download")
partial=$(partial_files "$download" "$root")
[[ -n $partial ]] || fail "Pause left no half-written file to resume"
requests=$(requests_logged)
echo "   paused with $(mib "$(bytes_in "$download")") on disk; the files as they stand:"
sed 's/^/     /' <<<"$paused_sizes"

echo "== 4. Start again: each half-written file is asked for from where it stopped"
click start
until_bytes $((total * 3 / 5))
expect_picture 4-resumed --buttons launch=X,start=X,pause=N,cancel=N,folder=X --fill any >/dev/null

echo "== 5. Finished"
until_bytes "$total"
expect_picture 5-finished --buttons launch=N,start=X,pause=X,cancel=N,folder=X --fill 584 >/dev/null
expect_resumed "$partial" "$requests"
same_client "$download" "$root"
echo "   the client arrived byte-identical: $(mib "$total") in $(find "$download" -type f | wc -l) files"

echo "== 6. Launch starts the game from the download folder; the downloader ends"
click launch
wait_until 15 "the game did not start" test -s "$download/bin/launched.txt"
sed 's/^/   game.exe recorded: /' <(tr -d '\r' <"$download/bin/launched.txt")
expect_exit demo 1
echo "   downloader.exe ended with exit code 1 (its normal end)"

echo "== DEMO PASSED; screenshots:"
for shot in "$artifacts"/[1-5]-*.png; do echo "   $shot"; done
