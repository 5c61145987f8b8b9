#!/usr/bin/env bash
# scripts/wine-run.sh hands a program's exit code back faithfully: the full
# 32-bit code in its report and exit file, its low byte as the status, and
# never a status of 0 for a failing program.
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

check 0 0
check 1 1
check -1 255
check -34 222
check 256 1
echo PASS
