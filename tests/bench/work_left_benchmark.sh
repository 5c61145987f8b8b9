#!/usr/bin/env bash
# What a run costs against the work left, from nginx on loopback; it measures,
# it does not pass or fail:
#   1. many small files (5,000 of 16 KiB, with digests): curl --parallel
#      --parallel-max 4, which keeps its connections, the engine natively
#      (client-fetch) and client-fetch.exe under Wine: wall time, every file
#      whole, and the connections and requests nginx logged;
#   2. a client of 1 GiB (16 files of 64 MiB, with digests) under Wine: the
#      first fetch; a Start over the complete client against the manifest's
#      fetch alone; a resume after half the files were cut in half, per byte
#      still to come against the first fetch;
#   3. 100,000 files of 64-263 bytes (a manifest of about 13 MB):
#      client-fetch.exe and downloader.exe, each from its start: the peak
#      resident memory (VmHWM), the first file on disk and the files on disk
#      after 20 s (the run is stopped at 60 s).
#
#   tests/bench/work_left_benchmark.sh [small-files] [large-client-files] [many-files]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
repo=$(pwd)
source "$repo/tests/wine/wine_test_lib.sh"

# WORK_LEFT_PARTS (default "1 2 3") names the parts to run.
parts=" ${WORK_LEFT_PARTS:-1 2 3} "
if [[ ${BENCHMARK_SESSION:-} != 1 ]]; then
  windows_session_environment downloader client-fetch manifest-tool
  (cmake --preset native-release >/dev/null && cmake --build --preset native-release --target client-fetch manifest-tool >/dev/null)
  export BENCHMARK_SESSION=1 WINE_TEST_ARTIFACTS=$(mktemp -d)
  exec scripts/wine-run.sh --shell -- bash ${BENCHMARK_TRACE:+-x} "$repo/tests/bench/work_left_benchmark.sh" "$@"
fi

# ---- inside the Wine session ----
at_exit "rm -rf '$artifacts'"
# Wine's own start (its server and services) is not the engine's.
wine cmd /c exit 0
small_files=${1:-5000}
large_files=${2:-16}
many_files=${3:-100000}
product=$repo/build/windows/app/downloader.exe
fetch_exe=$repo/build/windows/tools/fetch/client-fetch.exe
fetch_native=$repo/build/native-release/tools/fetch/client-fetch
tool=$repo/build/native-release/tools/manifest/manifest-tool
base_url="http://$DOWNLOADER_HOST/Live/fullclient/json/"
copies=$WINEPREFIX/copies
# nginx logs each request's connection: a connection per lane shows.
export server_log_format='$connection $request_uri $status'
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# timed COMMAND...: runs it, prints its wall time in seconds.
timed() {
  local start
  start=$(now)
  "$@" >"$artifacts/run.out" 2>"$artifacts/run.err" || fail "$1 failed: $(tail -n 3 "$artifacts/run.err")"
  elapsed "$start" "$(now)"
}
fetch_wine() { wine "$(windows_path "$fetch_exe")" "$base_url" "$(windows_path "$copies")" "$@"; }
fetch_here() { "$fetch_native" "$base_url" "$copies" "$@"; }
# log_figures: "REQUESTS requests over CONNECTIONS connections" of the files
# in nginx's log, then the log starts again.
log_figures() {
  local requests connections
  requests=$(grep -c ' /Live/fullclient/data/' "$server_log" || true)
  connections=$( (grep ' /Live/fullclient/data/' "$server_log" || true) | awk '{ print $1 }' | sort -u | wc -l)
  echo "$requests requests over $connections connections"
  : >"$server_log"
}
# publish_many ROOT COUNT SIZE-MIN SIZE-MAX: COUNT files of random sizes under
# ROOT's data folder, in folders of 100 as a game client lays them out, and
# their signed manifest. (Under Wine a new file costs time in proportion to
# the files already in its folder: Wine looks for the name in every case.)
publish_many() {
  /usr/bin/python3 - "$1/Live/fullclient/data" "$2" "$3" "$4" <<'PY'
import os, random, sys
root, count, low, high = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
for i in range(count):
    folder = os.path.join(root, "pack%04d" % (i // 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "asset-%06d.dat" % i), "wb") as out:
        out.write(os.urandom(random.randint(low, high)))
PY
  mkdir -p "$1/Live/fullclient/json"
  write_manifest "$tool" "$1/Live/fullclient/data" "$1/Live/fullclient/json/file.json" || fail "manifest-tool refused"
}

if [[ $parts == *" 1 "* ]]; then
echo "== 1. $small_files files of 16 KiB into memory (/dev/shm), medians of 3: curl four at a time, the engine"
echo "   natively and client-fetch.exe under Wine"
root=$WINEPREFIX/small
publish_many "$root" "$small_files" 16384 16384
start_content_server "$root"
# In memory: the disk's writeback, not the engines, would decide otherwise.
disk_copies=$copies
copies=/dev/shm/work-left-benchmark-$$
at_exit "rm -rf '$copies'"
urls=$artifacts/urls
(cd "$root/Live/fullclient/data" && find . -type f -printf "url = \"http://$DOWNLOADER_HOST/Live/fullclient/data/%P\"\noutput = \"$copies/%P\"\n") >"$urls"
fetch_curl() { curl -s -S --parallel --parallel-max 4 --create-dirs -K "$urls"; }
# median_run COMMAND: three fresh runs; the median wall and the last run's log figures.
median_run() {
  local walls=() figures
  for _ in 1 2 3; do
    rm -rf "$copies" "$(work_folder)"
    walls+=("$(timed "$@")")
    same_client "$copies" "$root"
    figures=$(log_figures)
  done
  echo "$(printf '%s\n' "${walls[@]}" | sort -n | sed -n 2p) $figures"
}
read -r curl_wall figures <<<"$(median_run fetch_curl)"
echo "   curl --parallel-max 4:   wall $curl_wall s; $figures"
read -r native_wall figures <<<"$(median_run fetch_here)"
echo "   the engine natively:     wall $native_wall s ($(ratio "$native_wall" "$curl_wall") x curl); $figures"
read -r wine_wall figures <<<"$(median_run fetch_wine)"
echo "   client-fetch.exe:        wall $wine_wall s ($(ratio "$wine_wall" "$curl_wall") x curl); $figures"
stop_content_server
rm -rf "$root" "$copies" "$(work_folder)"
copies=$disk_copies
fi

if [[ $parts == *" 2 "* ]]; then
echo "== 2. $large_files files of 64 MiB with digests under Wine (client-fetch.exe)"
root=$WINEPREFIX/large
files=()
for ((i = 1; i <= large_files; i++)); do files+=("data/part$i.pak:67108864"); done
publish_client "$root" "$tool" "${files[@]}"
total=$(bytes_in "$root/Live/fullclient/data")
start_content_server "$root"
first=$(timed fetch_wine)
same_client "$copies" "$root"
echo "   the whole client:        $first s ($(awk -v t="$first" -v b="$total" 'BEGIN { printf "%.0f", b / 1048576 / t }') MiB/s)"
# The manifest's fetch alone ends where client-fetch names it, once it verified.
: >"$server_log"
start=$(now)
fetch_wine 2>"$artifacts/run.err" | while IFS= read -r line; do
  if [[ $line == manifest:* ]]; then now >"$artifacts/manifest-at"; fi
done
again=$(elapsed "$start" "$(now)")
manifest_only=$(elapsed "$start" "$(cat "$artifacts/manifest-at")")
same_client "$copies" "$root"
echo "   Start over it complete:  $again s, the manifest's fetch alone $manifest_only s:" \
  "$(awk -v a="$again" -v m="$manifest_only" 'BEGIN { printf "%.2f", a - m }') s beyond it; $(log_figures)"
left=0
: >"$server_log"
for ((i = 1; i <= large_files; i += 2)); do
  truncate -s 33554432 "$copies/data/part$i.pak"
  left=$((left + 33554432))
done
resumed=$(timed fetch_wine)
same_client "$copies" "$root"
echo "   resumed, half the files cut in half: $resumed s for $((left / 1048576)) MiB still to come;" \
  "per byte $(awk -v r="$resumed" -v l="$left" -v f="$first" -v t="$total" 'BEGIN { printf "%.2f", (r / l) / (f / t) }') x" \
  "the first fetch; $(log_figures)"
stop_content_server
rm -rf "$root" "$copies" "$(work_folder)"
fi

[[ $parts == *" 3 "* ]] || exit 0
echo "== 3. $many_files files of 64-263 bytes"
root=$WINEPREFIX/many
publish_many "$root" "$many_files" 64 263
echo "   manifest: $(stat -c %s "$root/Live/fullclient/json/file.json") bytes"
start_content_server "$root"
# linux_pid EXE: the Linux process of the Windows program EXE, once it runs.
linux_pid() {
  local pid command exe
  exe=$(windows_path "$1")
  while read -r pid command; do [[ $command == "$exe" ]] && echo "$pid" && return 0; done < <(prefix_processes)
  return 1
}
# watch_start NAME EXE FOLDER: from the program's start, polled every 0.1 s:
# the peak resident memory, the first file in FOLDER, the files there at 20 s.
watch_start() {
  local name=$1 exe=$2 folder=$3 start pid="" peak=0 first_file="" files_20="" hwm t
  start=$4
  poll 30 linux_pid "$exe" >/dev/null || fail "$name did not start"
  pid=$(linux_pid "$exe")
  while kill -0 "$pid" 2>/dev/null; do
    hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || break
    [[ -n $hwm ]] && ((hwm > peak)) && peak=$hwm
    t=$(elapsed "$start" "$(now)")
    [[ -z $first_file && -n $(find "$folder" -type f -print -quit 2>/dev/null) ]] && first_file=$t
    if [[ -z $files_20 ]] && awk -v t="$t" 'BEGIN { exit !(t >= 20) }'; then
      files_20=$(find "$folder" -type f 2>/dev/null | wc -l)
    fi
    awk -v t="$t" 'BEGIN { exit !(t >= 60) }' && break
    sleep 0.1
  done
  echo "   $name: peak resident $((peak / 1024)) MiB; first file after ${first_file:-(none)} s;" \
    "${files_20:-(ended first)} files on disk after 20 s"
}
start=$(now)
fetch_wine --stop-after 60 >"$artifacts/many.out" 2>&1 &
fetching=$!
watch_start client-fetch.exe "$fetch_exe" "$copies" "$start"
wait "$fetching" || true
# Its files are all written once its process has gone.
fetch_gone() { ! linux_pid "$fetch_exe" >/dev/null; }
wait_until 30 "client-fetch.exe did not end" fetch_gone
rm -rf "$copies" "$(work_folder)"
download=$(default_download_folder)
rm -rf "$download"
start=$(now)
start_program many "$product"
wait_main_window
wait_manifest_request
# The panel shows the size once the manifest is in; then Start.
wait_until 120 "the panel does not show the client's size" shows_client_size
click start
watch_start downloader.exe "$product" "$download" "$start"
close_main_window many
stop_content_server
