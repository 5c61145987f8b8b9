#!/usr/bin/env bash
# Sets up this machine and runs every test of the project:
#   native      the portable core with AddressSanitizer + UndefinedBehaviorSanitizer
#   native-tsan the threaded suites with ThreadSanitizer
#   windows     the Windows build; its suites and the program itself run under Wine
#   fuzz        the parsers under libFuzzer, about a minute in all
#   benchmarks  built (not run: they are for measuring, see README)
# It ends with one summary line and fails when any step fails.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

fuzz_seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-$(nproc)}
passed=()
failed=()

step() {
  local name=$1
  shift
  echo "=== $name"
  if "$@"; then passed+=("$name"); else failed+=("$name"); fi
}

configure_and_build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

suite() {
  configure_and_build "$1" && ctest --preset "$1" -j "$jobs"
}

if ! scripts/setup.sh; then
  echo "TESTS FAILED: setup did not complete"
  exit 1
fi

step native suite native
step native-tsan suite native-tsan
step windows suite windows
step fuzz bash -c "cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j $jobs && tests/fuzz/run-fuzzers.sh build/fuzz $fuzz_seconds"
step benchmarks configure_and_build native-release

total=$((${#passed[@]} + ${#failed[@]}))
if ((${#failed[@]})); then
  echo "TESTS FAILED: ${#failed[@]} of $total steps failed (${failed[*]}); passed: ${passed[*]:-none}"
  exit 1
fi
echo "TESTS PASSED: all $total steps (${passed[*]})"
