#!/usr/bin/env bash
# Builds the ASCII table reader's fuzz target with clang and runs it.
#   scripts/fuzz-ascii.sh [seconds]     (default 180)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$here/build-fuzz-core}
seconds=${1:-180}
# The fuzz targets are declared with the tests, so the tests stay configured (only the
# fuzz target is built).
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DKORVI_FUZZ=ON -DKORVI_TESTS=ON -DKORVI_BENCH=OFF >/dev/null
ninja -C "$build" -j 2 fuzz_ascii
corpus="$build/corpus-ascii"
mkdir -p "$corpus"
# Seeds: a delimited and a fixed table.
printf '[T]\nFiletype=VARYING\nDelimiter="\nSeparator=,\nField1=A,LongInt,5\nField2=B,Char,9\nField3=C,Date,10\nField4=D,Bool,1\n\0001,"x""y",03/31/1995,T\n,,,\n' > "$corpus/seed-varying"
printf '[T]\nFiletype=FIXED\nField1=A,Char,3,00,00\nField2=B,Float,6,02,03\nField3=C,Timestamp,19,00,09\n\000abc  1.25 01/02/2003 04:05:06\r\nz\r\n' > "$corpus/seed-fixed"
QT_QPA_PLATFORM=offscreen "$build/tests/fuzz_ascii" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 "$corpus"
