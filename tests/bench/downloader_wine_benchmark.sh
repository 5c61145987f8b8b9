#!/usr/bin/env bash
# downloader.exe itself under Wine (WinINet), driven from outside like the
# end-to-end tests; it measures, it does not pass or fail:
#   1. a client of 8 files of 128 MiB from nginx on loopback: the program's
#      wall and CPU time from the click on Start to the last byte on disk and
#      its working set (VmRSS of its Linux process) meanwhile, then curl
#      fetching the same files four at a time;
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

if [[ ${BENCHMARK_SESSION:-} != 1 ]]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target downloader manifest-tool winprobe >/dev/null
  export WINE_RUN_HOME=$repo/build/windows/wine WINE_RUN_SCREEN=1280x1024x24 BENCHMARK_SESSION=1
  export DOWNLOADER_HOST=$(sed -n 's/^DOWNLOADER_SERVER_HOST:STRING=//p' build/windows/CMakeCache.txt)
  export RESOURCE_SCRIPT=$repo/resources/downloader.rc WINE_TEST_ARTIFACTS=$(mktemp -d)
  exec scripts/wine-run.sh --shell -- bash ${BENCHMARK_TRACE:+-x} "$repo/tests/bench/downloader_wine_benchmark.sh" "$@"
fi

# ---- inside the Wine session ----
source "$repo/tests/wine/wine_test_lib.sh"
at_exit "rm -rf '$artifacts'"
mib_per_file=${1:-128}
product=$repo/build/windows/app/downloader.exe
tool=$repo/build/windows/tools/manifest/manifest-tool.exe
download=$WINEPREFIX/drive_c/PLAX/download/zt_kr
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
  local proc first
  for proc in /proc/[0-9]*; do
    tr '\0' '\n' 2>/dev/null <"$proc/environ" | grep -q -x -F "WINEPREFIX=$WINEPREFIX" || continue
    first=$(tr '\0' '\n' 2>/dev/null <"$proc/cmdline" | head -n 1)
    [[ $first == [A-Za-z]:\\* || $first == */wineserver* ]] && basename "$proc"
  done
  return 0
}
seconds() { awk -v t="$1" -v hz="$ticks_per_second" 'BEGIN { printf "%.2f", t / hz }'; }
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# open_program ROOT: a fresh start of the program on the client at ROOT.
open_program() {
  rm -rf "$(work_folder)" "$download"
  xdotool mousemove 5 5
  start_program bench "$product"
  wait_main_window
  wait_until 20 "the manifest was not fetched" grep -q 'file.json' "$server_log"
  sleep 0.5
  pid=$(program_linux_pid bench) || fail "no process of downloader.exe"
}

echo "== 1. $((8 * mib_per_file)) MiB in 8 files from nginx: downloader.exe (WinINet) against curl four at a time"
root=$WINEPREFIX/big
files=()
for i in 1 2 3 4 5 6 7 8; do files+=("data/part$i.pak:$((mib_per_file * 1048576))"); done
publish_client "$root" "$tool" "${files[@]}"
total=$(bytes_in "$root/Live/fullclient/data")
start_content_server "$root"
open_program
rss_before=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
anon_before=$(awk '/^RssAnon/ { print $2 }' "/proc/$pid/status")
point "${button_x[start]}" 350
others=$(prefix_pids | grep -v -x "$pid" | tr '\n' ' ')
program_before=$(cpu_ticks "$pid") others_before=$(cpu_ticks $others) x_before=$(cpu_ticks "$xserver")
start=$(now)
xdotool click 1
rss_peak=0 anon_peak=0
until holds_bytes "$download" "$total"; do
  read -r rss anon < <(awk '/^VmRSS/ { r = $2 } /^RssAnon/ { a = $2 } END { print r, a }' "/proc/$pid/status")
  ((rss > rss_peak)) && rss_peak=$rss
  ((anon > anon_peak)) && anon_peak=$anon
  sleep 0.05
done
finish=$(now)
program_cpu=$(($(cpu_ticks "$pid") - program_before))
others_cpu=$(($(cpu_ticks $others) - others_before))
x_cpu=$(($(cpu_ticks "$xserver") - x_before))
same_client "$download" "$root"
wall=$(elapsed "$start" "$finish")
echo "   downloader.exe: wall $wall s, CPU $(seconds "$program_cpu") s (the prefix's other processes" \
  "$(seconds "$others_cpu") s, the X server $(seconds "$x_cpu") s);" \
  "$(awk -v b="$total" -v s="$wall" 'BEGIN { printf "%.0f", b / 1048576 / s }') MiB/s"
echo "   working set (VmRSS): $((rss_before / 1024)) MiB before Start, at most $((rss_peak / 1024)) MiB during the" \
  "download; of it private (RssAnon): $((anon_before / 1024)) MiB, at most $((anon_peak / 1024)) MiB"
close_main_window bench

copies=$(mktemp -d)
TIMEFORMAT='%R %U %S'
curl_times=$( { time (
  cd "$copies" && for i in 1 2 3 4 5 6 7 8; do echo "http://$DOWNLOADER_HOST/Live/fullclient/data/data/part$i.pak"; done |
    xargs -P4 -n1 curl -s -S -O ) ; } 2>&1 )
read -r curl_wall curl_user curl_system <<<"$curl_times"
for i in 1 2 3 4 5 6 7 8; do cmp -s "$copies/part$i.pak" "$root/Live/fullclient/data/data/part$i.pak" || fail "curl's part$i differs"; done
rm -rf "$copies" "$root" "$download"
echo "   curl -P4:       wall $curl_wall s, CPU $(awk -v u="$curl_user" -v s="$curl_system" 'BEGIN { printf "%.2f", u + s }') s;" \
  "$(awk -v b="$total" -v s="$curl_wall" 'BEGIN { printf "%.0f", b / 1048576 / s }') MiB/s"
stop_content_server

echo "== 2. one panel tick with its repaint; 3. paused"
root=$WINEPREFIX/slow
publish_client "$root" "$tool" data/a.pak:8000000 data/b.pak:8000000 data/c.pak:8000000 data/d.pak:8000000
start_content_server "$root" 64k
measure_10s() {
  local others program_before others_before x_before
  others=$(prefix_pids | grep -v -x "$pid" | tr '\n' ' ')
  program_before=$(cpu_ticks "$pid") others_before=$(cpu_ticks $others) x_before=$(cpu_ticks "$xserver")
  sleep 10
  echo "$(($(cpu_ticks "$pid") - program_before)) $(($(cpu_ticks $others) - others_before)) $(($(cpu_ticks "$xserver") - x_before))"
}
# per_tick TICKS: clock ticks over the 30 panel ticks of 10 s, in ms each.
per_tick() { awk -v d="$1" -v hz="$ticks_per_second" 'BEGIN { printf "%.1f", d / hz / 30 * 1000 }'; }
# measure_ticks: a fresh start crawling, then paused; prints what each cost.
measure_ticks() {
  open_program
  click start
  sleep 2
  read -r crawl_program crawl_others crawl_x <<<"$(measure_10s)"
  click pause
  sleep 2
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
