# Helpers for the tests that drive the Windows program inside a Wine session
# (scripts/wine-run.sh --shell), and for the repository's scripts that do the
# same (the demo, the screenshot, the Wine benchmark). Every wait polls the
# condition it means and has a time limit.

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

# poll SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds, at
# most SECONDS; fails (returns 1) when it never did.
poll() {
  local tries
  for ((tries = $1 * 10; tries > 0; tries--)); do
    "${@:2}" && return 0
    sleep 0.1
  done
  return 1
}

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds; fails
# the test with WHAT after SECONDS.
wait_until() { poll "$1" "${@:3}" || fail "$2 (waited $1 s)"; }

# holds_for SECONDS WHAT COMMAND...: COMMAND keeps succeeding, polled every
# 0.1 s from now until SECONDS (e.g. 0.5) have passed; fails the test with
# WHAT the first time it does not. What must not happen can only be watched
# for a while.
holds_for() {
  local what=$2 end
  end=$(($(date +%s%3N) + $(awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }')))
  shift 2
  while :; do
    "$@" || fail "$what"
    (($(date +%s%3N) < end)) || return 0
    sleep 0.1
  done
}

here_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_lib=$(cd "$here_lib/../.." && pwd)

# ---- entering a session from a script of the repository ----
# windows_session_environment TARGET...: builds those targets of the windows
# preset and the probe, and exports what a script inside a Wine session of
# that build needs, as CTest gives it to the tests. The caller then execs
# scripts/wine-run.sh --shell with WINE_TEST_ARTIFACTS set.
windows_session_environment() {
  (cd "$repo_lib" && cmake --preset windows >/dev/null && cmake --build --preset windows --target "$@" winprobe >/dev/null)
  export WINE_RUN_HOME=$repo_lib/build/windows/wine WINE_RUN_SCREEN=1280x1024x24
  DOWNLOADER_HOST=$(sed -n 's/^DOWNLOADER_SERVER_HOST:STRING=//p' "$repo_lib/build/windows/CMakeCache.txt")
  DOWNLOADER_DEV_KEY=$(sed -n 's/^DOWNLOADER_DEV_KEYS:PATH=//p' "$repo_lib/build/windows/CMakeCache.txt")/manifest.key
  export DOWNLOADER_HOST DOWNLOADER_DEV_KEY RESOURCE_SCRIPT=$repo_lib/resources/downloader.rc
}

# Inside a session (wine-run.sh names the probe): a fresh folder for the
# test's pictures.
if [[ -n ${WINE_RUN_PROBE:-} ]]; then
  artifacts=${WINE_TEST_ARTIFACTS:-$(mktemp -d)}
  rm -rf "$artifacts"
  mkdir -p "$artifacts"
fi

# Windows form of a Linux path (Wine maps Z: to the root).
windows_path() { echo "Z:$(realpath "$1" | tr '/' '\\')"; }

# The Linux folder behind the prefix's %TEMP%.
windows_temp_folder() {
  local folder
  [[ -n ${temp_folder:-} ]] && echo "$temp_folder" && return
  folder=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null | grep -v /Public/ | head -n 1)
  [[ -n $folder ]] || fail "no temporary folder in the prefix"
  echo "$folder"
}

# use_temp_folder NAME: from now on every program's %TEMP% and %TMP% is the
# folder NAME (UTF-8, any letters) in the prefix's temporary folder: the
# user's environment in the registry, written in UTF-16 so that no code page
# comes between.
use_temp_folder() {
  local folder windows reg
  folder=$(windows_temp_folder)/$1
  mkdir -p "$folder"
  windows=C:${folder#"$WINEPREFIX/drive_c"}
  windows=${windows//\//\\\\}
  reg=$(mktemp --suffix=.reg)
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Environment]\r\n"TEMP"="%s"\r\n"TMP"="%s"\r\n\r\n' \
    "$windows" "$windows" | iconv -f UTF-8 -t UTF-16 >"$reg"
  wine regedit /S "$(windows_path "$reg")" || fail "regedit did not take $reg"
  temp_folder=$folder
}

# url_path NAME: NAME as the program puts it in a URL, percent-encoded ('/'
# and unreserved characters as they are).
url_path() { /usr/bin/python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe="/"))' "$1"; }

# The program's work folder (manifest, version.txt, transfer log) and its
# default download folder.
work_folder() { echo "$(windows_temp_folder)/QzLauncher_Live/zt_kr"; }
default_download_folder() { echo "$WINEPREFIX/drive_c/PLAX/download/zt_kr"; }

# watch_folder FOLDER FORMAT FILE: from now on, every file made in FOLDER
# (inotifywait's FORMAT, e.g. '%e %f'), appended to FILE until the test ends.
watch_folder() {
  local ready
  ready=$(mktemp)
  inotifywait -m -e create -e moved_to --format "$2" "$1" >>"$3" 2>"$ready" &
  at_exit "kill $!"
  wait_until 10 "the watch on $1 did not start: $(cat "$ready")" grep -q -F 'Watches established' "$ready"
}

declare -A program_pid program_code_file program_trace program_exe

# start_program NAME EXE [traced|menus]: starts EXE in the background through
# the probe, which records its full exit code. "traced" records the message
# boxes it shows (Wine's msgbox trace channel) in its own file, "menus" the
# menu items it draws (the menu channel: text, check and grey state).
start_program() {
  local name=$1 exe=$2 traced=${3:-}
  program_code_file[$name]=$(mktemp)
  program_trace[$name]=$(mktemp)
  local channels=-all
  [[ $traced == traced ]] && channels=-all,+msgbox
  [[ $traced == menus ]] && channels=-all,+menu
  WINEDEBUG=$channels wine "$WINE_RUN_PROBE" run "$(windows_path "${program_code_file[$name]}")" \
    "$(windows_path "$exe")" 2>"${program_trace[$name]}" &
  program_pid[$name]=$!
  program_exe[$name]=$exe
}

# program_running NAME, program_ended NAME: whether the probe that runs the
# program is still there.
program_running() { kill -0 "${program_pid[$1]}" 2>/dev/null; }
program_ended() { ! program_running "$1"; }

# expect_exit NAME CODE: waits (at most 60 s) for the program's end and
# compares its full 32-bit exit code.
expect_exit() {
  local name=$1 expected=$2 code
  wait_until 60 "$name did not end" program_ended "$name"
  wait "${program_pid[$name]}" || true
  code=$(tr -d '\r\n' <"${program_code_file[$name]}")
  [[ $code == "$expected" ]] || fail "$name ended with exit code '$code', expected $expected"
}

# prefix_processes: "PID COMMAND" of each Linux process whose environment
# names this session's prefix (its Windows programs and wineserver, and this
# script's own processes), COMMAND being the first word of its command line.
prefix_processes() {
  local proc command
  for proc in /proc/[0-9]*; do
    grep -q -z -x -F "WINEPREFIX=$WINEPREFIX" "$proc/environ" 2>/dev/null || continue
    IFS= read -r -d '' command <"$proc/cmdline" 2>/dev/null || [[ -n ${command:-} ]] || continue
    echo "${proc#/proc/} $command"
  done
}

# program_linux_pid NAME: the Linux process of the program started as NAME.
program_linux_pid() {
  local exe pid command
  exe=$(windows_path "${program_exe[$1]}")
  while read -r pid command; do
    # Wine pads the program's name with blanks (read drops them).
    [[ $command == "$exe" ]] && echo "$pid" && return 0
  done < <(prefix_processes)
  return 1
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


# ---- the content: a published client, its server and the server's log ----
# DOWNLOADER_HOST: the host:port the program's built-in URL names (the build's
# DOWNLOADER_SERVER_HOST); tests that serve it hold a CTest resource lock.

# start_content_server ROOT [RATE [CERTIFICATE KEY]]: nginx serving ROOT at the
# program's server host, RATE (e.g. 2m, 0 for none) limiting every transfer;
# with CERTIFICATE and KEY (PEM files) over https only, where "/to-http/..."
# redirects to the same path over http. Each request's range goes to
# $server_log, as $server_log_format says when the caller sets it (nginx's
# variables: a benchmark counts connections with $connection). Stopped when
# the test ends.
start_content_server() {
  local root=$1 rate=${2:-0} ssl="" tls=""
  if [[ -n ${3:-} ]]; then
    ssl=" ssl"
    tls="ssl_certificate $3;
    ssl_certificate_key $4;
    location /to-http/ { rewrite ^/to-http(/.*)\$ http://localhost:${DOWNLOADER_HOST##*:}\$1 redirect; }"
  fi
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
  log_format ranges '${server_log_format:-\$request_uri \$status range=\$http_range}';
  access_log $server_log ranges;
  client_body_temp_path $server_dir/body;
  default_type application/octet-stream;
  server {
    listen $DOWNLOADER_HOST$ssl;
    $tls
    root $root;
    limit_rate $rate;
  }
}
CONF
  port_taken && fail "something else serves $DOWNLOADER_HOST already"
  nginx -c "$server_dir/nginx.conf" -p "$server_dir" -e "$server_dir/error.log" &
  server_pid=$!
  at_exit stop_content_server
  wait_until 10 "nginx does not answer on $DOWNLOADER_HOST" content_server_answers
}

content_server_answers() {
  kill -0 "$server_pid" 2>/dev/null || fail "nginx did not start: $(cat "$server_dir/error.log")"
  port_taken
}

# port_taken: something accepts connections at the program's server host.
port_taken() { (exec 3<>"/dev/tcp/${DOWNLOADER_HOST%:*}/${DOWNLOADER_HOST##*:}") 2>/dev/null; }

stop_content_server() {
  [[ -n ${server_pid:-} ]] || return 0
  kill "$server_pid" 2>/dev/null
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
}

# make_test_certs FOLDER: a throwaway authority and server certificates in
# FOLDER (tests/support/make_test_certs.sh says which).
make_test_certs() { bash "$repo_lib/tests/support/make_test_certs.sh" "$1" || fail "openssl made no certificates"; }

# trust_test_ca CA.PEM: this session's prefix, and no other, trusts the
# authority: its certificate in the user's root store in the prefix's
# registry, as crypt32 keeps it (the property CERT_CERT_PROP_ID, 0x20: id,
# 1, length, then the DER bytes), under its SHA-1 thumbprint.
trust_test_ca() {
  local der thumbprint length reg
  der=$(openssl x509 -in "$1" -outform DER | od -An -v -tx1 | tr -d ' \n')
  thumbprint=$(openssl x509 -in "$1" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
  length=$(printf '%08x' $((${#der} / 2)))
  reg=$(mktemp --suffix=.reg)
  {
    echo REGEDIT4
    echo
    echo "[HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint]"
    echo "\"Blob\"=hex:20,00,00,00,01,00,00,00,${length:6:2},${length:4:2},${length:2:2},${length:0:2},$(sed 's/../&,/g; s/,$//' <<<"$der")"
  } >"$reg"
  wine reg import "$(windows_path "$reg")" >/dev/null 2>&1 || fail "the prefix did not take the test authority"
  rm -f "$reg"
}

# The scheme and host a published manifest names its files at:
# $content_origin when the test sets it (https://localhost:PORT), else the
# program's plain-http server host.
content_origin() { echo "${content_origin:-http://$DOWNLOADER_HOST}"; }

# write_manifest TOOL FOLDER OUTPUT [manifest-tool options]: manifest-tool's
# manifest of FOLDER, with the URL the program's server publishes it at,
# signed by the development key. TOOL is the Windows build (run under Wine)
# or the native one.
write_manifest() {
  local tool=$1 folder=$2 output=$3
  shift 3
  if [[ $tool == *.exe ]]; then
    wine "$tool" write "$(windows_path "$folder")" --url "$(content_origin)/Live/fullclient/data/" "$@" \
      --output "$(windows_path "$(dirname "$output")")\\$(basename "$output")" >/dev/null
  else
    "$tool" write "$folder" --url "$(content_origin)/Live/fullclient/data/" "$@" --output "$output" >/dev/null
  fi &&
    sign_manifest "$output"
}

# sign_manifest MANIFEST [KEY]: MANIFEST.sig, the signature of MANIFEST by the
# PEM private KEY (default: the build's development key, $DOWNLOADER_DEV_KEY)
# as `manifest-tool sign` writes it: openssl's DER turned into r then s, 32
# bytes each.
sign_manifest() {
  local manifest=$1 key=${2:-${DOWNLOADER_DEV_KEY:?the development key is not named}} der number raw=""
  der=$(mktemp)
  openssl dgst -sha256 -sign "$key" -out "$der" "$manifest" || fail "openssl cannot sign $manifest"
  for number in $(openssl asn1parse -inform DER -in "$der" | sed -n 's/.*INTEGER *://p'); do
    number=$(printf '%64s' "$number" | tr ' ' 0)
    raw+=$(sed 's/../\\x&/g' <<<"$number")
  done
  rm -f "$der"
  ((${#raw} == 256)) || fail "openssl's signature of $manifest has no r and s"
  printf '%b' "$raw" >"$manifest.sig"
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
  write_manifest "$tool" "$data" "$root/Live/fullclient/json/file.json" "${version[@]}" ||
    fail "manifest-tool refused the client"
}

# same_client FOLDER ROOT: the downloaded FOLDER holds every published file,
# byte for byte.
same_client() {
  diff -r -q "$2/Live/fullclient/data" "$1" >/dev/null || fail "the client in $1 differs: $(diff -r -q "$2/Live/fullclient/data" "$1" | head -n 3)"
}

# partial_files FOLDER ROOT: "SIZE NAME" of each file in the downloaded
# FOLDER that is shorter than its published copy under ROOT.
partial_files() {
  local name size
  while read -r size name; do
    if ((size < $(stat -c %s "$2/Live/fullclient/data/$name"))); then echo "$size $name"; fi
  done < <(file_sizes "$1")
}

# The server's log ($server_log) has a line a request; nginx writes it when
# the request has been answered.
requests_logged() { wc -l <"$server_log"; }

# logged LINE [AFTER]: the server's log has exactly LINE, after its first
# AFTER lines (default 0).
logged() { tail -n +"$((${2:-0} + 1))" "$server_log" | grep -q -x -F "$1"; }

# manifest_requests: how often the server has been asked for the manifest.
manifest_requests() { grep -c 'file.json' "$server_log" || true; }
more_manifest_requests() { (($(manifest_requests) > $1)); }

# wait_manifest_request [BEFORE]: the server is asked for the manifest more
# than BEFORE (default 0) times, within 20 s.
wait_manifest_request() { wait_until 20 "no manifest fetched" more_manifest_requests "${1:-0}"; }

# expect_resumed PARTIAL AFTER: each file of PARTIAL ("SIZE NAME" lines) was
# asked for (its name encoded) from its size on and answered with its rest, in
# the server's log after line AFTER, within 10 s.
expect_resumed() {
  local name size
  while read -r size name; do
    echo "   $name resumed from byte $size"
    wait_until 10 "$name was not resumed from byte $size" \
      logged "/Live/fullclient/data/$(url_path "$name") 206 range=bytes=$size-" "$2"
  done <<<"$1"
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


# ---- the program's window and pictures of it ----
main_title='TARVIK full-client downloader'

# set_prefix_dpi DPI: the display scale of the session's prefix (96 is 100 %),
# which each program reads as it starts.
set_prefix_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
    fail "cannot set the prefix's LogPixels to $1"
}

# find_main_window: sets window_id when the main window exists. A search can
# end with an X error when a window it reads is destroyed meanwhile (Wine
# makes and drops hidden windows while a program starts), so it is polled
# rather than left to xdotool's own --sync.
find_main_window() {
  window_id=$(xdotool search --limit 1 --name "^$main_title\$" 2>/dev/null) && [[ -n $window_id ]]
}

# wait_main_window: sets window_id, window_x and window_y.
wait_main_window() {
  wait_until 30 "no main window" find_main_window
  read_window_place
}

read_window_place() {
  local info
  info=$(xwininfo -id "$window_id")
  window_x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  window_y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  window_size=$(sed -n 's/.*Width: *//p' <<<"$info")x$(sed -n 's/.*Height: *//p' <<<"$info")
}

# window_at X Y: the main window's upper-left corner is at (X, Y).
window_at() { read_window_place && [[ $window_x == "$1" && $window_y == "$2" ]]; }

# skin_px N: N pixels of the skin (640x380) in the main window's pixels, as
# the program rounds them: the same at 96 DPI, scaled on a scaled display.
skin_px() { echo $((($1 * ${window_size%x*} * 2 / 640 + 1) / 2)); }

# shoot FILE [WIDTH HEIGHT X Y]: the main window's picture, or the part of it
# at (X, Y) of the window.
shoot() {
  local width=${2:-${window_size%x*}} height=${3:-${window_size#*x}} x=${4:-0} y=${5:-0}
  timeout 10 import -window root -crop "${width}x$height+$((window_x + x))+$((window_y + y))" +repage "$1" ||
    fail "no screenshot"
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

# shows_client_size: the panel's "Total Size" no longer shows the zero it
# starts with. It starts as "000.0 MBytes", like "Transfered" before a
# download; both stand over the same flat backdrop, so the same text gives the
# same pixels (82 columns: the panel ends there). On a display scaled by a
# fraction the two fall on different parts of a pixel and differ anyway: the
# wait is then only the manifest request's before it.
shows_client_size() {
  shoot "$artifacts/panel.png" "$(skin_px 590)" "$(skin_px 19)" "$(skin_px 32)" "$(skin_px 287)"
  [[ $(convert "$artifacts/panel.png" -crop "$(skin_px 82)x$(skin_px 19)+$(skin_px 357)+0" +repage rgb:- | md5sum) != \
     $(convert "$artifacts/panel.png" -crop "$(skin_px 82)x$(skin_px 19)+$(skin_px 508)+0" +repage rgb:- | md5sum) ]]
}

# wait_client_size: the program has loaded the download information: the
# panel shows the client's size (before a Start).
wait_client_size() { wait_until 20 "the panel does not show the client's size" shows_client_size; }

# open_program NAME EXE [traced|menus]: starts EXE as NAME (start_program),
# the pointer parked away from its window; returns once the window shows the
# client's size, which it has asked the server for.
open_program() {
  local requests
  requests=$(manifest_requests)
  xdotool mousemove 5 5
  start_program "$1" "$2" "${3:-}"
  wait_main_window
  wait_manifest_request "$requests"
  wait_client_size
}

# The buttons: their left edges (all 70x30 at y 335) and the names of their
# images in art/buttons; a state is N normal, O over, D down or X disabled.
declare -A button_left=([folder]=29 [launch]=312 [start]=390 [pause]=468 [exit]=546)
declare -A button_art=([folder]=folder [launch]=play [start]=start [pause]=pause [exit]=exit)
declare -A state_art=([N]=normal [O]=over [D]=down [X]=disabled)
button_x() { echo $((button_left[$1] + 35)); }

# button_shows NAME STATE: the button shows its image for STATE (Wine decodes
# the artwork within a level or two of ImageMagick; the four images of a
# button differ in most of their pixels by far more).
button_shows() {
  local image differing
  image=$(dirname "$RESOURCE_SCRIPT")/art/buttons/${button_art[$1]}-${state_art[$2]}.jpg
  shoot "$artifacts/button.png" 70 30 "${button_left[$1]}" 335
  differing=$(compare -metric AE -fuzz 5% "$artifacts/button.png" "$image" null: 2>&1 || true)
  [[ $differing == 0 ]]
}

# move_pointer X Y: the pointer to (X, Y) of the main window.
move_pointer() { xdotool mousemove $((window_x + $1)) $((window_y + $2)); }

# point_at BUTTON: the pointer on the centre of an enabled BUTTON, once the
# program has seen it there (the button shows Over).
point_at() {
  move_pointer "$(button_x "$1")" 350
  wait_until 10 "$1 does not show Over under the pointer" button_shows "$1" O
}

# click BUTTON: a click on the centre of folder, launch, start, pause or
# exit; then the pointer goes to rest on the background, so that no button
# stays Over (the pictures that follow are polled for).
click() {
  point_at "$1"
  xdotool click 1
  move_pointer 300 150
}

# ---- the context menu, seen through the menu trace (start_program ... menus) ----
# Wine keeps a menu in its own process (another process's GetMenuState fails),
# so its items are read from the trace of their drawing:
#   draw_menu_item { ID=0x68, fType=radio, State=check, Text=L"1 MB/s"  }

# trace_lines NAME: how many lines the program's trace has so far.
trace_lines() { wc -l <"${program_trace[$1]}"; }

# menu_item_state NAME TEXT AFTER: the state flags ("check", "grey", "hi")
# the item TEXT was last drawn with after line AFTER of the trace, "-" for
# none; nothing when it was not drawn.
menu_item_state() {
  tail -n +"$(($3 + 1))" "${program_trace[$1]}" | grep -a -F "draw_menu_item {" | grep -a -F "Text=L\"$2\"" |
    tail -n 1 | sed -n 's/.*State=\([^,]*\),.*/\1/p; t; s/.*/-/p'
}
menu_item_drawn() { [[ -n $(menu_item_state "$@") ]]; }

# open_menu NAME KEYS...: the program's context menu opened with xdotool's
# KEYS (or "right-click X Y" on the main window), within 10 s; sets
# menu_from to the trace line its drawing starts after.
open_menu() {
  local name=$1
  shift
  menu_from=$(trace_lines "$name")
  if [[ $1 == right-click ]]; then
    # Wine takes a press where it last saw the pointer: a motion first.
    move_pointer "$2" "$3"
    xdotool mousemove_relative 1 1 click 3
  else
    xdotool key "$@"
  fi
  wait_until 10 "the menu did not open with $*" menu_item_drawn "$name" "Limit download speed" "$menu_from"
}

# bar_fill SHOT: the progress bar's filled width in pixels in a screenshot.
bar_fill() { /usr/bin/python3 "$here_lib/picture_check.py" "$1" "$RESOURCE_SCRIPT" --measure-fill; }

# watch_bar SECONDS FILE: from now on, in the background, the bar's fill
# every few milliseconds, one "SECONDS FILL" line each, into FILE; sets
# watch_pid. It returns once the first line is there.
watch_bar() {
  /usr/bin/python3 "$here_lib/picture_check.py" --watch-fill "$window_x" "$window_y" "$1" >"$2" &
  watch_pid=$!
  wait_until 10 "the bar's watch did not start" test -s "$2"
}


# ---- the files of a download ----
# bytes_in FOLDER: the bytes of the files under FOLDER (0 when absent).
bytes_in() {
  [[ -d $1 ]] || { echo 0; return; }
  find "$1" -type f -printf '%s\n' | awk '{ total += $1 } END { print total + 0 }'
}

# holds_bytes FOLDER N: FOLDER's files have N bytes or more.
holds_bytes() { (($(bytes_in "$1") >= $2)); }

# file_sizes FOLDER: "SIZE NAME" of each file under FOLDER (names may hold
# blanks), sorted.
file_sizes() { (cd "$1" && find . -type f -printf '%s %P\n' | sort); }

# sizes_are FOLDER SIZES: FOLDER's files are as file_sizes listed them.
sizes_are() { [[ $(file_sizes "$1") == "$2" ]]; }

# has_size FILE BYTES: FILE exists and has exactly BYTES.
has_size() { [[ $(stat -c %s "$1" 2>/dev/null) == "$2" ]]; }
