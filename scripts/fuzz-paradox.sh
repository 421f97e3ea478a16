#!/usr/bin/env bash
# Builds the Paradox reader's fuzz target with clang and runs it on seed tables made by the
# writer. Arguments go to libFuzzer (default: -max_total_time=180).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-fuzz-paradox}
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVI_FUZZ=ON -DKORVI_TESTS=OFF -DKORVI_BENCH=OFF >/dev/null
ninja -C "$build" -j2 fuzz_paradox
fuzzer=$build/tests/fuzz/fuzz_paradox
corpus=$build/corpus-paradox
mkdir -p "$corpus"
KORVI_FUZZ_SEEDS="$corpus" "$fuzzer"
[ $# -gt 0 ] || set -- -max_total_time=180
exec "$fuzzer" "$@" -rss_limit_mb=2048 -timeout=10 "$corpus"
