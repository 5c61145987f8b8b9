#!/usr/bin/env bash
# scripts/wine-run.sh hands a program's exit code back faithfully: the full
# 32-bit code in its report and exit file, its low byte as the status, and
# never a status of 0 for a failing program, nor for one killed by a signal.
#
#   runner_test.sh WINPROBE.EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
runner=$here/../../scripts/wine-run.sh
probe=$1

check() {
  local code=$1 expected_status=$2 exit_file report status
  exit_file=$(mktemp)
  report=$(mktemp)
  set +e
  WINE_RUN_EXIT_FILE=$exit_file "$runner" "$probe" exit "$code" 2>"$report"
  status=$?
  set -e
  [[ $status == "$expected_status" ]] || { echo "FAIL: code $code gave status $status, expected $expected_status"; exit 1; }
  [[ $(cat "$exit_file") == "$code" ]] || { echo "FAIL: exit file says $(cat "$exit_file") for $code"; exit 1; }
  grep -q "^wine-run: exit code $code\$" "$report" || { echo "FAIL: no report line for $code"; cat "$report"; exit 1; }
  rm -f "$exit_file" "$report"
  echo "code $code -> status $status"
}

# A program killed by a signal: Wine's own exit code for it is 0. The runner
# runs in a session of its own, where the program is found by its command
# line (its Linux process is nobody's child) and killed.
check_killed() {
  local exit_file report runner_pid program_pid="" status
  exit_file=$(mktemp)
  report=$(mktemp)
  WINE_RUN_EXIT_FILE=$exit_file setsid "$runner" "$probe" sleep 120000 2>"$report" &
  runner_pid=$!
  [[ $(ps -o sid= -p "$runner_pid" | tr -d ' ') == "$runner_pid" ]] || { echo "FAIL: no session of its own"; exit 1; }
  for _ in $(seq 600); do
    program_pid=$(pgrep -s "$runner_pid" -f '^[^ ]*winprobe\.exe sleep 120000' || true)
    [[ -n $program_pid ]] && break
    sleep 0.1
  done
  [[ -n $program_pid ]] || { echo "FAIL: the program did not start"; kill "$runner_pid"; exit 1; }
  kill -KILL "$program_pid"
  set +e
  wait "$runner_pid"
  status=$?
  set -e
  [[ $status == 137 ]] || { echo "FAIL: a killed program gave status $status"; cat "$report"; exit 1; }
  grep -q '^wine-run: killed by signal 9$' "$report" || { echo "FAIL: signal not reported"; cat "$report"; exit 1; }
  [[ $(cat "$exit_file") == 137 ]] || { echo "FAIL: exit file says $(cat "$exit_file") for a kill"; exit 1; }
  rm -f "$exit_file" "$report"
  echo "SIGKILL -> status $status"
}

check 0 0
check 1 1
check -1 255
check -34 222
check 256 1
check_killed
echo PASS
