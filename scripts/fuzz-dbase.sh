#!/usr/bin/env bash
# Builds the dBase reader's fuzz target with clang and runs it on seed tables made by the
# writer. Arguments go to libFuzzer (default: -max_total_time=180). The fuzz targets are
# defined by the tests directory, so the test build stays on; only fuzz_dbase is built.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-fuzz-dbase}
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVI_FUZZ=ON -DKORVI_TESTS=ON -DKORVI_BENCH=OFF >/dev/null
ninja -C "$build" -j2 fuzz_dbase
corpus=$build/corpus-dbase
mkdir -p "$corpus"
KORVI_FUZZ_SEEDS="$corpus" "$build/tests/fuzz_dbase"
[ $# -gt 0 ] || set -- -max_total_time=180
exec "$build/tests/fuzz_dbase" "$@" -rss_limit_mb=2048 -timeout=10 -max_len=8192 "$corpus"
