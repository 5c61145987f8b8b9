#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build (cmake --preset fuzz), each on a fresh
# copy of its seed corpus, and prints one line per fuzzer with the number of
# inputs it executed. The seconds are the whole step's, split among the
# fuzzers by the shares fuzzers.txt gives them (at least one second each), so
# adding a fuzzer does not lengthen the step.
#
#   run-fuzzers.sh <fuzz-build-dir> <seconds>
#
# Exits non-zero when any fuzzer reports a finding (crash, sanitizer report,
# leak, timeout, out-of-memory) or cannot run; its log and the input that
# reproduces the finding are kept and their folder is printed.
set -euo pipefail

(($# == 2)) || { echo "usage: run-fuzzers.sh <fuzz-build-dir> <seconds>" >&2; exit 2; }
build=$(cd "$1" && pwd)
seconds=$2
fuzz_dir=$build/tests/fuzz
list=$fuzz_dir/fuzzers.txt
[[ -f $list ]] || { echo "run-fuzzers: $list not found; configure and build with the fuzz preset" >&2; exit 2; }

shares=$(awk '{ total += $2 } END { print total + 0 }' "$list")
((shares > 0)) || { echo "run-fuzzers: no fuzzer listed in $list" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/run-fuzzers.XXXXXX")
status=0
while read -r name share; do
  [[ -n $name ]] || continue
  time=$((seconds * share / shares))
  ((time > 0)) || time=1
  exe=$fuzz_dir/$name
  out=$work/$name
  mkdir -p "$out/corpus" "$out/findings"
  if [[ ! -x $exe ]]; then
    echo "$name: not built" >&2
    status=1
    continue
  fi
  cp -R "$fuzz_dir/corpus/$name/." "$out/corpus/"
  # Inputs up to 16 KB: every object node of the JSON layer carries 999
  # chain heads, so larger texts mostly measure the allocator.
  if "$exe" -max_total_time="$time" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$out/findings/" "$out/corpus" >"$out/log" 2>&1; then
    result=ok
  else
    result="FAILED (log and reproducer in $out)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$out/log" | tail -n 1)
  echo "$name: ${runs:-?} executions in ${time} s, $result"
  [[ $result == ok ]] && rm -rf "$out"
done <"$list"

((status == 0)) && rm -rf "$work"
exit $status
