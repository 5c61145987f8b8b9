#!/usr/bin/env bash
# Writes a picture of downloader.exe's window, as a player first sees it, to
# a PNG file: the program runs under Wine on a private Xvfb against a tiny
# client published on loopback (nginx), so that it shows a client's size.
# --dpi sets the display's scale (96 is 100 %, 192 is 200 %).
#
#   scripts/screenshot.sh [--dpi N] OUT.png
# Builds what it needs first (windows preset); exits 1 when no picture could
# be taken.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$(pwd)
dpi=96
[[ ${1:-} == --dpi ]] && dpi=$2 && shift 2
[[ $# == 1 ]] || { echo "usage: scripts/screenshot.sh [--dpi N] OUT.png" >&2; exit 2; }
source "$repo/tests/wine/wine_test_lib.sh"

if [[ ${SCREENSHOT_SESSION:-} != 1 ]]; then
  out=$(realpath -m "$1")
  windows_session_environment downloader manifest-tool
  export SCREENSHOT_SESSION=1 WINE_TEST_ARTIFACTS=$(mktemp -d)
  exec scripts/wine-run.sh --shell -- bash "$repo/scripts/screenshot.sh" --dpi "$dpi" "$out"
fi

# ---- inside the Wine session ----
publish_client "$WINEPREFIX/server" "$repo/build/windows/tools/manifest/manifest-tool.exe" \
  bin/game.exe:300000 data/client.pak:52428800
start_content_server "$WINEPREFIX/server"
at_exit "rm -rf '$artifacts'"
set_prefix_dpi "$dpi"
open_program window "$repo/build/windows/app/downloader.exe"
shoot "$1"
close_main_window window
echo "screenshot: $1"
