#!/usr/bin/env bash
# downloader.exe itself under Wine (WinINet), driven from outside like the
# end-to-end tests; it measures, it does not pass or fail:
#   1. a client of 8 files of 128 MiB from nginx on loopback, medians of 3:
#      curl fetching the files four at a time, the engine alone
#      (client-fetch.exe) and the program (from the click on Start to the last
#      byte on disk), wall and CPU, without and with SHA-256 digests in the
#      manifest; the program's working set (VmRSS of its Linux process);
#   2. one panel tick with its repaint: the CPU of a download crawling at
#      64 KB/s per file (a tick every 333 ms, almost no transfer work) less
#      the CPU while paused, per tick; then the same with Wine's Direct3D
#      command thread off, which shows the program's own drawing alone;
#   3. the CPU while paused over 10 s: the program, the prefix's other
#      processes (wineserver, services) and the X server.
#
#   tests/bench/downloader_wine_benchmark.sh [MiB-per-file]
# CPU times are clock ticks of /proc/PID/stat (utime + stime) over the
# interval, in seconds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
repo=$(pwd)
source "$repo/tests/wine/wine_test_lib.sh"

if [[ ${BENCHMARK_SESSION:-} != 1 ]]; then
  windows_session_environment downloader client-fetch manifest-tool
  export BENCHMARK_SESSION=1 WINE_TEST_ARTIFACTS=$(mktemp -d)
  exec scripts/wine-run.sh --shell -- bash ${BENCHMARK_TRACE:+-x} "$repo/tests/bench/downloader_wine_benchmark.sh" "$@"
fi

# ---- inside the Wine session ----
at_exit "rm -rf '$artifacts'"
mib_per_file=${1:-128}
product=$repo/build/windows/app/downloader.exe
tool=$repo/build/windows/tools/manifest/manifest-tool.exe
fetch=$repo/build/windows/tools/fetch/client-fetch.exe
download=$(default_download_folder)
ticks_per_second=$(getconf CLK_TCK)
xserver=$(pgrep -P "$PPID" -x Xvfb) || fail "no X server of this session"

# cpu_ticks PID...: utime + stime of those processes, in clock ticks.
cpu_ticks() {
  local pid stat total=0
  for pid in "$@"; do
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
    total=$((total + $(sed 's/.*) //' <<<"$stat" | awk '{ print $12 + $13 }')))
  done
  echo "$total"
}
# The prefix's Wine processes (Windows programs and wineserver), not this
# script's own, which share its environment.
prefix_pids() {
  local pid command
  while read -r pid command; do
    [[ $command == [A-Za-z]:\\* || $command == */wineserver* ]] && echo "$pid"
  done < <(prefix_processes)
  return 0
}
seconds() { awk -v t="$1" -v hz="$ticks_per_second" 'BEGIN { printf "%.2f", t / hz }'; }
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# fresh_start: the program opened on the served client, with no manifest or
# download of an earlier run; sets pid.
fresh_start() {
  rm -rf "$(work_folder)" "$download"
  open_program bench "$product"
  pid=$(program_linux_pid bench) || fail "no process of downloader.exe"
}

echo "== 1. $((8 * mib_per_file)) MiB in 8 files from nginx, medians of 3 runs: curl four at a time, the engine"
echo "   (client-fetch.exe, WinINet) and downloader.exe, without and with SHA-256 digests in the manifest"
root=$WINEPREFIX/big
files=()
for i in 1 2 3 4 5 6 7 8; do files+=("data/part$i.pak:$((mib_per_file * 1048576))"); done
publish_client "$root" "$tool" "${files[@]}"
total=$(bytes_in "$root/Live/fullclient/data")
manifest=$root/Live/fullclient/json/file.json
cp "$manifest" "$artifacts/hashed.json"
sed 's/, "SHA256" : "[0-9a-f]*"//' "$artifacts/hashed.json" >"$artifacts/plain.json"
sign_manifest "$artifacts/hashed.json"
sign_manifest "$artifacts/plain.json"
start_content_server "$root"
copies=$WINEPREFIX/copies
TIMEFORMAT='%R %U %S'

# Each run prints "WALL CPU" in seconds; CPU is the process's own.
run_curl() {
  rm -rf "$copies" && mkdir -p "$copies"
  local times wall user system
  times=$( { time (
    cd "$copies" && for i in 1 2 3 4 5 6 7 8; do echo "http://$DOWNLOADER_HOST/Live/fullclient/data/data/part$i.pak"; done |
      xargs -P4 -n1 curl -s -S -O ) ; } 2>&1 )
  read -r wall user system <<<"$times"
  for i in 1 2 3 4 5 6 7 8; do
    cmp -s "$copies/part$i.pak" "$root/Live/fullclient/data/data/part$i.pak" || fail "curl's part$i differs"
  done
  awk -v w="$wall" -v u="$user" -v s="$system" 'BEGIN { printf "%.2f %.2f\n", w, u + s }'
}
run_engine() {
  rm -rf "$copies"
  local times wall user system
  times=$( { time wine "$fetch" "http://$DOWNLOADER_HOST/Live/fullclient/json/" "$(windows_path "$WINEPREFIX")\\copies" \
    >/dev/null 2>"$artifacts/fetch.err" ; } 2>&1 ) || fail "client-fetch.exe did not complete: $(tail -n 3 "$artifacts/fetch.err")"
  read -r wall user system <<<"$times"
  same_client "$copies" "$root"
  awk -v w="$wall" -v u="$user" -v s="$system" 'BEGIN { printf "%.2f %.2f\n", w, u + s }'
}
run_downloader() {
  fresh_start >&2
  point_at start
  local before start finish rss anon rss_peak=0 anon_peak=0
  read -r rss_peak anon_peak <"$artifacts/peaks"
  before=$(cpu_ticks "$pid")
  start=$(now)
  xdotool click 1
  # Until the last byte is on disk, the working set every 50 ms (which is
  # also how closely the end is timed).
  until holds_bytes "$download" "$total"; do
    # A program that ended (or a click that missed) never brings the bytes.
    kill -0 "$pid" 2>/dev/null || fail "downloader.exe ended before the client was on disk"
    (($(date +%s) - ${start%.*} < 600)) || fail "the client was not on disk after 10 minutes"
    read -r rss anon < <(awk '/^VmRSS/ { r = $2 } /^RssAnon/ { a = $2 } END { print r, a }' "/proc/$pid/status")
    ((rss > rss_peak)) && rss_peak=$rss
    ((anon > anon_peak)) && anon_peak=$anon
    sleep 0.05
  done
  finish=$(now)
  echo "$(elapsed "$start" "$finish") $(seconds $(($(cpu_ticks "$pid") - before)))"
  echo "$rss_peak $anon_peak" >"$artifacts/peaks"  # this runs in a subshell
  same_client "$download" "$root"
  close_main_window bench >&2
}
# median_of_3 COMMAND: runs it three times; prints the median wall and CPU.
median_of_3() {
  local runs
  runs=$(for _ in 1 2 3; do "$@"; done)
  echo "$(awk '{ print $1 }' <<<"$runs" | sort -n | sed -n 2p) $(awk '{ print $2 }' <<<"$runs" | sort -n | sed -n 2p)"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "0 0" >"$artifacts/peaks"
read -r curl_wall curl_cpu <<<"$(median_of_3 run_curl)"
echo "   curl -P4:              wall $curl_wall s, CPU $curl_cpu s"
for digests in plain hashed; do
  cp "$artifacts/$digests.json" "$manifest"
  cp "$artifacts/$digests.json.sig" "$manifest.sig"
  read -r engine_wall engine_cpu <<<"$(median_of_3 run_engine)"
  read -r program_wall program_cpu <<<"$(median_of_3 run_downloader)"
  label="without digests"
  [[ $digests == hashed ]] && label="with SHA-256"
  echo "   $label:"
  echo "     client-fetch.exe:    wall $engine_wall s ($(ratio "$engine_wall" "$curl_wall") x curl), CPU $engine_cpu s" \
    "($(ratio "$engine_cpu" "$curl_cpu") x curl)"
  echo "     downloader.exe:      wall $program_wall s ($(ratio "$program_wall" "$curl_wall") x curl), CPU $program_cpu s" \
    "($(ratio "$program_cpu" "$curl_cpu") x curl)"
done
read -r rss_peak anon_peak <"$artifacts/peaks"
echo "   downloader.exe's working set (VmRSS) during its downloads: at most $((rss_peak / 1024)) MiB, of it private" \
  "(RssAnon) at most $((anon_peak / 1024)) MiB"
rm -rf "$copies" "$root" "$download"
stop_content_server

echo "== 2. one panel tick with its repaint; 3. paused"
root=$WINEPREFIX/slow
publish_client "$root" "$tool" data/a.pak:8000000 data/b.pak:8000000 data/c.pak:8000000 data/d.pak:8000000
start_content_server "$root" 64k
# files_arriving N: N files of the download have bytes on disk.
files_arriving() { (($(find "$download" -type f -size +0c | wc -l) >= $1)); }
measure_10s() {
  local others program_before others_before x_before
  others=$(prefix_pids | grep -v -x "$pid" | tr '\n' ' ')
  program_before=$(cpu_ticks "$pid") others_before=$(cpu_ticks $others) x_before=$(cpu_ticks "$xserver")
  sleep 10  # the interval measured: CPU time is only seen as it is spent
  echo "$(($(cpu_ticks "$pid") - program_before)) $(($(cpu_ticks $others) - others_before)) $(($(cpu_ticks "$xserver") - x_before))"
}
# per_tick TICKS: clock ticks over the 30 panel ticks of 10 s, in ms each.
per_tick() { awk -v d="$1" -v hz="$ticks_per_second" 'BEGIN { printf "%.1f", d / hz / 30 * 1000 }'; }
# measure_ticks: a fresh start crawling, then paused; prints what each cost.
measure_ticks() {
  fresh_start
  click start
  # The crawl is under way once all four files are arriving (each takes minutes).
  wait_until 30 "the four files are not all arriving" files_arriving 4
  read -r crawl_program crawl_others crawl_x <<<"$(measure_10s)"
  click pause
  # Pause returns once every transfer has ended; then the row changes.
  expect_picture bench-paused --buttons launch=X,start=N,pause=X,cancel=N,folder=N --fill any >/dev/null
  read -r paused_program paused_others paused_x <<<"$(measure_10s)"
  echo "   crawling download, 10 s: downloader.exe $(seconds "$crawl_program") s, other prefix processes" \
    "$(seconds "$crawl_others") s, X server $(seconds "$crawl_x") s"
  echo "   paused, 10 s:            downloader.exe $(seconds "$paused_program") s, other prefix processes" \
    "$(seconds "$paused_others") s, X server $(seconds "$paused_x") s"
  echo "   one tick with its repaint: $(per_tick $((crawl_program - paused_program))) ms of the program's CPU," \
    "$(per_tick $((crawl_x - paused_x))) ms of the X server's"
  close_main_window bench
}
measure_ticks
# After its last command of a repaint, Wine's Direct3D command thread spins
# for tens of milliseconds before it sleeps; without that thread the
# program's own drawing shows.
echo "   the same with Wine's Direct3D command thread off (WINE_D3D_CONFIG=csmt=0x0):"
export WINE_D3D_CONFIG=csmt=0x0
measure_ticks
unset WINE_D3D_CONFIG
