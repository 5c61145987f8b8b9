#!/usr/bin/env bash
# manifest-tool on a client of 20,000 files: `write`, `check`, and `check`
# against the folder, beside a plain walk of the same folder (find listing
# every file with its size), each the median of a few runs with a warm cache.
#   tests/bench/manifest_tool_benchmark.sh [files] [rounds]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
files=${1:-20000}
rounds=${2:-5}
build=$root/build/native-release
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target manifest-tool >/dev/null
tool=$build/tools/manifest/manifest-tool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "making $files files..."
python3 - "$work/client" "$files" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    folder = os.path.join(root, "data", "%03d" % (i // 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%05d.pak" % i), "wb") as f:
        f.write(b"x" * (100 + i % 900))
PY

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
timed() {  # prints the median wall time in seconds of running "$@" $rounds times
  local i
  for ((i = 0; i < rounds; i++)); do
    local start=$(date +%s.%N)
    "$@" >/dev/null
    awk -v end="$(date +%s.%N)" -v start="$start" 'BEGIN { print end - start }'
  done | median
}

url=http://127.0.0.1/client/
"$tool" write "$work/client" --url "$url" --output "$work/file.json" --version 1 >/dev/null  # warm the cache
walk=$(timed find "$work/client" -type f -printf '%s %P\n')
write=$(timed "$tool" write "$work/client" --url "$url" --output "$work/file.json" --version 1)
check=$(timed "$tool" check "$work/file.json")
compare=$(timed "$tool" check "$work/file.json" --folder "$work/client")
printf 'files: %d, manifest: %d bytes\n' "$files" "$(stat -c %s "$work/file.json")"
printf '%-34s %8.3f s\n' "walk (find, names and sizes)" "$walk" "manifest-tool write" "$write" \
  "manifest-tool check" "$check" "manifest-tool check --folder" "$compare"
