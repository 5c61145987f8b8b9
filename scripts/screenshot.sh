#!/usr/bin/env bash
# Writes a picture of downloader.exe's window, as a player first sees it, to
# a PNG file: the program runs under Wine on a private Xvfb against a tiny
# client published on loopback (nginx), so that it shows a client's size.
#
#   scripts/screenshot.sh OUT.png
# Builds what it needs first (windows preset); exits 1 when no picture could
# be taken.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$(pwd)
[[ $# == 1 ]] || { echo "usage: scripts/screenshot.sh OUT.png" >&2; exit 2; }

if [[ ${SCREENSHOT_SESSION:-} != 1 ]]; then
  out=$(realpath -m "$1")
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target downloader manifest-tool winprobe >/dev/null
  export WINE_RUN_HOME=$repo/build/windows/wine WINE_RUN_SCREEN=1280x1024x24 SCREENSHOT_SESSION=1
  export DOWNLOADER_HOST=$(sed -n 's/^DOWNLOADER_SERVER_HOST:STRING=//p' build/windows/CMakeCache.txt)
  export RESOURCE_SCRIPT=$repo/resources/downloader.rc WINE_TEST_ARTIFACTS=$(mktemp -d)
  exec scripts/wine-run.sh --shell -- bash "$repo/scripts/screenshot.sh" "$out"
fi

# ---- inside the Wine session ----
source "$repo/tests/wine/wine_test_lib.sh"
publish_client "$WINEPREFIX/server" "$repo/build/windows/tools/manifest/manifest-tool.exe" \
  bin/game.exe:300000 data/client.pak:52428800
start_content_server "$WINEPREFIX/server"
xdotool mousemove 5 5
start_program window "$repo/build/windows/app/downloader.exe"
at_exit "rm -rf '$artifacts'"
wait_main_window
wait_until 10 "the manifest was not fetched" grep -q 'file.json' "$server_log"
sleep 0.5  # the client's size is drawn
shoot "$1"
close_main_window window
echo "screenshot: $1"
