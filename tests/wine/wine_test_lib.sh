# Helpers for the tests that drive the Windows program inside a Wine session
# (scripts/wine-run.sh --shell). Every wait has a time limit.

fail() {
  echo "FAIL: $*" >&2
  exit 1
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

declare -A program_pid program_code_file program_trace

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

# expect_no_box_in_trace NAME: the traced program showed no message box.
expect_no_box_in_trace() {
  if grep -a -q 'MSGBOX_OnInit' "${program_trace[$1]}"; then
    fail "$1 showed a box: $(grep -a 'MSGBOX_OnInit' "${program_trace[$1]}")"
  fi
}
