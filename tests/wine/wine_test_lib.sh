# Helpers for the tests that drive the Windows program inside a Wine session
# (scripts/wine-run.sh --shell). Every wait has a time limit.

fail() {
  echo "FAIL: $*" >&2
  # The screen as it was, boxes included, beside the test's other pictures.
  [[ -n ${artifacts:-} && -n ${DISPLAY:-} ]] && timeout 5 import -window root "$artifacts/failure.png" 2>/dev/null
  exit 1
}

# A command that stops the test through `set -e` names itself, in functions
# too (errtrace); failures inside command substitutions are the caller's to
# judge, so only the test's own shell speaks.
set -o errtrace
trap '[[ $BASHPID == "$$" ]] && echo "FAIL: ${BASH_SOURCE[0]##*/} line $LINENO: \"$BASH_COMMAND\" failed" >&2' ERR

# at_exit COMMAND: runs COMMAND (a shell text) when the test ends, however it
# ends; the last registered runs first.
exit_commands=()
at_exit() {
  exit_commands=("$1" "${exit_commands[@]}")
  trap run_exit_commands EXIT
}
run_exit_commands() {
  local command
  for command in "${exit_commands[@]}"; do eval "$command" || true; done
}

# wait_until SECONDS WHAT COMMAND...: polls COMMAND every 0.1 s until it
# succeeds; fails the test with WHAT after SECONDS.
wait_until() {
  local seconds=$1 what=$2 tries
  shift 2
  for ((tries = seconds * 10; tries > 0; tries--)); do
    "$@" && return 0
    sleep 0.1
  done
  fail "$what (waited $seconds s)"
}

# Windows form of a Linux path (Wine maps Z: to the root).
windows_path() { echo "Z:$(realpath "$1" | tr '/' '\\')"; }

# The Linux folder behind the prefix's %TEMP%.
windows_temp_folder() {
  local folder
  folder=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null | grep -v /Public/ | head -n 1)
  [[ -n $folder ]] || fail "no temporary folder in the prefix"
  echo "$folder"
}

declare -A program_pid program_code_file program_trace program_exe

# start_program NAME EXE [traced]: starts EXE in the background through the
# probe, which records its full exit code. "traced" records the message
# boxes it shows (Wine's msgbox trace channel) in its own file.
start_program() {
  local name=$1 exe=$2 traced=${3:-}
  program_code_file[$name]=$(mktemp)
  program_trace[$name]=$(mktemp)
  local channels=-all
  [[ $traced == traced ]] && channels=-all,+msgbox
  WINEDEBUG=$channels wine "$WINE_RUN_PROBE" run "$(windows_path "${program_code_file[$name]}")" \
    "$(windows_path "$exe")" 2>"${program_trace[$name]}" &
  program_pid[$name]=$!
  program_exe[$name]=$exe
}

# expect_exit NAME CODE: waits (at most 60 s) for the program's end and
# compares its full 32-bit exit code.
expect_exit() {
  local name=$1 expected=$2 waited=0
  while kill -0 "${program_pid[$name]}" 2>/dev/null; do
    ((waited++ < 600)) || fail "$name did not end"
    sleep 0.1
  done
  wait "${program_pid[$name]}" || true
  local code
  code=$(tr -d '\r\n' <"${program_code_file[$name]}")
  [[ $code == "$expected" ]] || fail "$name ended with exit code '$code', expected $expected"
}

# expect_box CAPTION TEXT ok|cancel|none: a message box with that caption
# appears within 30 s and shows exactly TEXT; then it is answered.
expect_box() {
  local caption=$1 expected=$2 answer=$3 text
  text=$(wine "$WINE_RUN_PROBE" msgbox "$caption" 30000 "$answer" | tr -d '\r') || fail "no box captioned '$caption'"
  [[ $text == "$expected" ]] || fail "box '$caption' says '$text', expected '$expected'"
}

press_box() { wine "$WINE_RUN_PROBE" msgbox "$1" 10000 "$2" >/dev/null || fail "no box captioned '$1' to press"; }

# close_main_window NAME: Escape, then OK to the question: exit code 1.
close_main_window() {
  xdotool key Escape
  expect_box "tarvik-downloader..." "Are you really going to quit?" ok
  expect_exit "$1" 1
}


# ---- the program's window, its content server and pictures of it ----
# DOWNLOADER_HOST: the host:port the program's built-in URL names (the build's
# DOWNLOADER_SERVER_HOST); tests that serve it hold a CTest resource lock.

main_title='TARVIK full-client downloader'
here_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
artifacts=${WINE_TEST_ARTIFACTS:-$(mktemp -d)}
rm -rf "$artifacts"
mkdir -p "$artifacts"

# start_content_server ROOT [RATE]: nginx serving ROOT at the program's server
# host, RATE (e.g. 2m) limiting every transfer; each request's range goes to
# $server_log. Stopped when the test ends.
start_content_server() {
  local root=$1 rate=${2:-0}
  server_dir=$(mktemp -d)
  server_log=$server_dir/access.log
  cat >"$server_dir/nginx.conf" <<CONF
$( [[ $(id -u) == 0 ]] && echo "user root;" )
daemon off;
master_process off;
worker_processes 1;
pid $server_dir/nginx.pid;
error_log $server_dir/error.log warn;
events { worker_connections 64; }
http {
  log_format ranges '\$request_uri \$status range=\$http_range';
  access_log $server_log ranges;
  client_body_temp_path $server_dir/body;
  default_type application/octet-stream;
  server {
    listen $DOWNLOADER_HOST;
    root $root;
    limit_rate $rate;
  }
}
CONF
  curl -s -o /dev/null "http://$DOWNLOADER_HOST/" && fail "something else serves $DOWNLOADER_HOST already"
  nginx -c "$server_dir/nginx.conf" -p "$server_dir" -e "$server_dir/error.log" &
  server_pid=$!
  at_exit stop_content_server
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://$DOWNLOADER_HOST/" && return 0
    kill -0 "$server_pid" 2>/dev/null || fail "nginx did not start: $(cat "$server_dir/error.log")"
    sleep 0.05
  done
  fail "nginx does not answer on $DOWNLOADER_HOST"
}

stop_content_server() {
  [[ -n ${server_pid:-} ]] || return 0
  kill "$server_pid" 2>/dev/null
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
}

# publish_client ROOT MANIFEST_TOOL_EXE [--version N] SPEC...: files under
# ROOT/Live/fullclient/data and their manifest, written by manifest-tool,
# where the program looks for it. SPEC is NAME:BYTES (random bytes) or
# NAME=FILE (a copy of FILE). Files already there stay.
publish_client() {
  local root=$1 tool=$2 version=()
  shift 2
  [[ ${1:-} == --version ]] && version=(--version "$2") && shift 2
  local data=$root/Live/fullclient/data file name
  mkdir -p "$data" "$root/Live/fullclient/json"
  for file in "$@"; do
    if [[ $file == *=* ]]; then
      name=${file%%=*}
      mkdir -p "$(dirname "$data/$name")"
      cp "${file#*=}" "$data/$name"
    else
      name=${file%%:*}
      mkdir -p "$(dirname "$data/$name")"
      head -c "${file##*:}" /dev/urandom >"$data/$name"
    fi
  done
  wine "$tool" write "$(windows_path "$data")" --url "http://$DOWNLOADER_HOST/Live/fullclient/data/" \
    "${version[@]}" --output "$(windows_path "$root/Live/fullclient/json")\\file.json" >/dev/null ||
    fail "manifest-tool refused the client"
}

# same_client FOLDER ROOT: the downloaded FOLDER holds every published file,
# byte for byte.
same_client() {
  diff -r -q "$2/Live/fullclient/data" "$1" >/dev/null || fail "the client in $1 differs: $(diff -r -q "$2/Live/fullclient/data" "$1" | head -n 3)"
}

# ---- our fault-injecting server (fault-server.exe) on the program's port ----
# start_fault_server EXE ROOT: serves ROOT; its requests go to $server_log.
start_fault_server() {
  local exe=$1 root=$2
  fault_dir=$(mktemp -d)
  server_log=$fault_dir/requests.log
  curl -s -o /dev/null "http://$DOWNLOADER_HOST/" && fail "something else serves $DOWNLOADER_HOST already"
  mkfifo "$fault_dir/commands"
  wine "$exe" "${DOWNLOADER_HOST##*:}" "$(windows_path "$root")" "$(windows_path "$fault_dir")\\requests.log" \
    <"$fault_dir/commands" >"$fault_dir/answers" 2>"$fault_dir/errors" &
  fault_pid=$!
  exec {fault_commands}>"$fault_dir/commands"
  at_exit stop_fault_server
  wait_until 30 "the fault server did not start: $(cat "$fault_dir/errors")" grep -q -x -F -e ready -e $'ready\r' "$fault_dir/answers"
}

# fault_command COMMAND...: one command (see fault_server.cpp), in force when
# this returns.
fault_command() {
  echo "$*" >&"$fault_commands"
  wait_until 10 "the fault server did not take '$*'" grep -q -F -x -e "ok $*" -e $'ok '"$*"$'\r' "$fault_dir/answers"
}

stop_fault_server() {
  [[ -n ${fault_pid:-} ]] || return 0
  echo quit >&"$fault_commands"
  exec {fault_commands}>&-
  wait "$fault_pid" 2>/dev/null || true
  fault_pid=""
}

# wait_main_window: sets window_id, window_x and window_y.
wait_main_window() {
  window_id=$(timeout 30 xdotool search --sync --name "^$main_title\$" 2>/dev/null | head -n 1)
  [[ -n $window_id ]] || fail "no main window"
  read_window_place
}

read_window_place() {
  local info
  info=$(xwininfo -id "$window_id")
  window_x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  window_y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  window_size=$(sed -n 's/.*Width: *//p' <<<"$info")x$(sed -n 's/.*Height: *//p' <<<"$info")
}

# shoot FILE: the main window's picture.
shoot() { timeout 10 import -window root -crop "640x380+$window_x+$window_y" +repage "$1" || fail "no screenshot"; }

# point X Y: the pointer to (X, Y) of the main window, and a moment for the
# program to see it.
point() {
  xdotool mousemove $((window_x + $1)) $((window_y + $2))
  sleep 0.3
}

# expect_picture NAME [picture_check options]: the window as a player sees it,
# within 10 s (a state the program reaches on its own may take a moment).
expect_picture() {
  local name=$1 tries
  shift
  for ((tries = 20; tries > 1; tries--)); do
    shoot "$artifacts/$name.png"
    /usr/bin/python3 "$here_lib/picture_check.py" "$artifacts/$name.png" "$RESOURCE_SCRIPT" "$@" >/dev/null && break
    sleep 0.5
  done
  shoot "$artifacts/$name.png"
  /usr/bin/python3 "$here_lib/picture_check.py" "$artifacts/$name.png" "$RESOURCE_SCRIPT" "$@" ||
    fail "the window does not look as expected ($artifacts/$name.png)"
}

# ---- driving a download ----
work_folder() { echo "$(windows_temp_folder)/QzLauncher_Live/zt_kr"; }

# click BUTTON: a click on the centre of folder, launch, start, pause or
# exit; then the pointer rests on the background, so no button stays Over.
declare -A button_x=([folder]=64 [launch]=347 [start]=425 [pause]=503 [exit]=581)
click() {
  point "${button_x[$1]}" 350
  xdotool click 1
  point 300 150
}

# bytes_in FOLDER: the bytes of the files under FOLDER (0 when absent).
bytes_in() {
  [[ -d $1 ]] || { echo 0; return; }
  find "$1" -type f -printf '%s\n' | awk '{ total += $1 } END { print total + 0 }'
}

# holds_bytes FOLDER N: FOLDER's files have N bytes or more.
holds_bytes() { (($(bytes_in "$1") >= $2)); }

# file_sizes FOLDER: "NAME SIZE" of each file under FOLDER, sorted.
file_sizes() { (cd "$1" && find . -type f -printf '%P %s\n' | sort); }

# program_linux_pid NAME: the Linux process of the program started as NAME.
program_linux_pid() {
  local exe=${program_exe[$1]} proc
  exe="Z:$(realpath "$exe" | tr '/' '\\')"
  for proc in /proc/[0-9]*; do
    # Wine pads the program's name with blanks.
    [[ $(tr '\0' '\n' 2>/dev/null <"$proc/cmdline" | head -n 1 | sed 's/ *$//') == "$exe" ]] || continue
    tr '\0' '\n' 2>/dev/null <"$proc/environ" | grep -q -x -F "WINEPREFIX=$WINEPREFIX" || continue
    basename "$proc"
    return 0
  done
  return 1
}

# bar_fill SHOT: the progress bar's filled width in pixels in a screenshot.
bar_fill() { /usr/bin/python3 "$here_lib/picture_check.py" "$1" "$RESOURCE_SCRIPT" --measure-fill; }

# watch_bar SECONDS FILE: from now on, in the background, the bar's fill
# every few milliseconds, one "SECONDS FILL" line each, into FILE.
watch_bar() {
  /usr/bin/python3 "$here_lib/picture_check.py" --watch-fill "$window_x" "$window_y" "$1" >"$2" &
  watch_pid=$!
}
