#!/usr/bin/env bash
# Builds the release benchmarks in build/http-release and runs the HTTP
# transfer benchmark: cHttp against curl, a 1 GiB file from nginx on loopback.
#   tests/bench/http_benchmark.sh [size-in-MiB] [rounds]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$root/build/http-release
cmake --preset native-release -B "$build" >/dev/null
ninja -C "$build" http_benchmark >/dev/null
"$build/tests/bench/http_benchmark" "$@"
