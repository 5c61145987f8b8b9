#!/usr/bin/env bash
# scripts/wine-run.sh hands a program's exit code back faithfully: the full
# 32-bit code in its report and exit file, its low byte as the status, and
# never a status of 0 for a failing program, nor for one killed by a signal.
#
#   runner_test.sh WINPROBE.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
runner=$here/../../scripts/wine-run.sh
probe=$1

check() {
  local code=$1 expected_status=$2 exit_file report status=0
  exit_file=$(mktemp)
  report=$(mktemp)
  WINE_RUN_EXIT_FILE=$exit_file "$runner" "$probe" exit "$code" 2>"$report" || status=$?
  [[ $status == "$expected_status" ]] || fail "code $code gave status $status, expected $expected_status"
  [[ $(cat "$exit_file") == "$code" ]] || fail "exit file says $(cat "$exit_file") for $code"
  grep -q "^wine-run: exit code $code\$" "$report" || fail "no report line for $code: $(cat "$report")"
  rm -f "$exit_file" "$report"
  echo "code $code -> status $status"
}

# A program killed by a signal: Wine's own exit code for it is 0. The runner
# runs in a session of its own, where the program is found by its command
# line (its Linux process is nobody's child) and killed.
check_killed() {
  local exit_file report runner_pid status=0
  exit_file=$(mktemp)
  report=$(mktemp)
  WINE_RUN_EXIT_FILE=$exit_file setsid "$runner" "$probe" sleep 120000 2>"$report" &
  runner_pid=$!
  [[ $(ps -o sid= -p "$runner_pid" | tr -d ' ') == "$runner_pid" ]] || fail "no session of its own"
  poll 60 program_in_session "$runner_pid" >/dev/null || { kill "$runner_pid"; fail "the program did not start"; }
  kill -KILL "$(program_in_session "$runner_pid")"
  wait "$runner_pid" || status=$?
  [[ $status == 137 ]] || fail "a killed program gave status $status: $(cat "$report")"
  grep -q '^wine-run: killed by signal 9$' "$report" || fail "signal not reported: $(cat "$report")"
  [[ $(cat "$exit_file") == 137 ]] || fail "exit file says $(cat "$exit_file") for a kill"
  rm -f "$exit_file" "$report"
  echo "SIGKILL -> status $status"
}
# program_in_session SID: the probe's Linux process in that session.
program_in_session() { pgrep -s "$1" -f '^[^ ]*winprobe\.exe sleep 120000'; }

check 0 0
check 1 1
check -1 255
check -34 222
check 256 1
check_killed
echo PASS
