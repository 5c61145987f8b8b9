#!/usr/bin/env bash
# Sets up this machine, builds downloader.exe and shows it at work under Wine
# against a content server on loopback (nginx):
#   1. a demo client is published: its files, and a manifest written by
#      manifest-tool, served the way a content server serves them;
#   2. downloader.exe starts: single-instance guard, work folder, UX document,
#      version check, message-box texts (its skinned window is still to come,
#      so the start-up ends there, with exit code 0);
#   3. the download engine fetches the client the way the program does
#      (client-fetch.exe, the same code without the window, under Wine with
#      WinINet): four transfers at once, stopped halfway as Pause does, then
#      resumed with byte ranges to a byte-identical client.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$(pwd)

scripts/setup.sh
echo "== building (windows preset: the program, the engine tool; native: manifest-tool)"
cmake --preset windows >/dev/null
cmake --build --preset windows --target downloader client-fetch winprobe >/dev/null
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target manifest-tool >/dev/null
file build/windows/app/downloader.exe

demo=$repo/build/demo
host=$(sed -n 's/^DOWNLOADER_SERVER_HOST:STRING=//p' build/windows/CMakeCache.txt)
base_url="http://$host/Live/fullclient/json/"
rm -rf "$demo"
mkdir -p "$demo/server/Live/fullclient/data" "$demo/server/Live/fullclient/json" "$demo/nginx"

echo "== 1. publishing a demo client at http://$host/Live/fullclient/"
client=$demo/server/Live/fullclient/data
mkdir -p "$client/bin" "$client/data/maps" "$client/data/sound"
head -c 300000 /dev/urandom >"$client/bin/game.exe"
for i in 1 2 3 4 5 6; do head -c $((12 * 1048576 + i * 4099)) /dev/urandom >"$client/data/maps/region$i.pak"; done
head -c $((9 * 1048576)) /dev/urandom >"$client/data/sound/music.ogg"
build/native-release/tools/manifest/manifest-tool write "$client" \
  --url "http://$host/Live/fullclient/data/" --output "$demo/server/Live/fullclient/json/file.json"
build/native-release/tools/manifest/manifest-tool check "$demo/server/Live/fullclient/json/file.json" --folder "$client"

cat >"$demo/nginx/nginx.conf" <<CONF
$( [[ $(id -u) == 0 ]] && echo "user root;" )
worker_processes 1;
daemon off;
pid $demo/nginx/nginx.pid;
error_log $demo/nginx/error.log;
events { worker_connections 64; }
http {
  log_format ranges '\$request_uri \$status \$http_user_agent range=\$http_range';
  access_log $demo/nginx/access.log ranges;
  client_body_temp_path $demo/nginx/body;
  default_type application/octet-stream;
  server {
    listen $host;
    root $demo/server;
    # Slow enough to watch: 6 MiB/s per connection, four connections at once.
    location /Live/fullclient/data/ { limit_rate 6m; }
  }
}
CONF
nginx -c "$demo/nginx/nginx.conf" -p "$demo/nginx" &
nginx_pid=$!
trap 'kill $nginx_pid 2>/dev/null; wait $nginx_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do curl -s -o /dev/null "$base_url/file.json" && break; sleep 0.1; done

export WINE_RUN_HOME=$repo/build/windows/wine
prefix=$demo/prefix
echo "== 2. downloader.exe starts under Wine"
scripts/wine-run.sh --prefix "$prefix" build/windows/app/downloader.exe || true
work=$(ls -d "$prefix"/drive_c/users/*/Temp/QzLauncher_Live/zt_kr | head -n 1)
echo "work folder: ${work#$prefix/drive_c/}"

echo "== 3. the download engine at work (client-fetch.exe under Wine, WinINet)"
echo "-- a first run, stopped after 4 seconds as Pause would stop it"
scripts/wine-run.sh --prefix "$prefix" build/windows/tools/fetch/client-fetch.exe "$base_url" 'c:\PLAX\download\zt_kr' \
  --stop-after 4 || true
echo "-- a second run resumes the partial files with byte ranges"
scripts/wine-run.sh --prefix "$prefix" build/windows/tools/fetch/client-fetch.exe "$base_url" 'c:\PLAX\download\zt_kr'
echo "-- transfer log (resumed files):"
cat "$work/qzloader.log"
echo "-- requests nginx saw that resume a file (a range not from byte 0):"
grep 'range=bytes=[1-9]' "$demo/nginx/access.log" || echo "(none)"

echo "-- comparing the downloaded client with the published one"
diff -r "$client" "$prefix/drive_c/PLAX/download/zt_kr" && echo "DEMO: the client arrived byte-identical"
