#!/usr/bin/env bash
# Builds the local SQL parser fuzz target with clang and runs it.
# Usage: scripts/fuzz-sqlparser.sh [seconds]   (default 180)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-fuzz-sql}
seconds=${1:-180}
# The fuzz targets are declared with the tests, so the tests stay configured (only the fuzz
# target is built).
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVI_FUZZ=ON -DKORVI_TESTS=ON -DKORVI_BENCH=OFF >/dev/null
ninja -C "$build" -j2 fuzz_sqlparser
corpus="$build/corpus-sqlparser"
mkdir -p "$corpus"
# Seeds: the forms the designer generates.
printf '%s' ' SELECT  T1."NOM", SUM(T1."X")
 FROM   "C:\DONNEES\A.DB" T1 ,  ":DEMO:b.db" T2 
WHERE (
  (T1."NUM" = T2."NUM" ) 
 AND 
( 
( 
 ( T1."NOM" = "Paris"  OR  T1."NOM" LIKE "Ly%" )
) 
 
)  )
 GROUP BY  T1."NOM"
  ORDER BY  T1."NOM" DESC' > "$corpus/seed-grouped"
printf '%s' 'SELECT DISTINCT T1."D" FROM "/data/a.dbf" T1 WHERE ( T1."D">= "12/08/2026"+(-30) AND T1."ACTIF" = "TRUE" AND T1."H" < "10:00:00" AND T1."DT" IS NOT NULL AND NOT (1=1) )' > "$corpus/seed-dates"
printf '%s' 'SELECT COUNT (T1."NUM") , COUNT(*) FROM :DEMO:a.db T1 ORDER BY 1' > "$corpus/seed-count"
"$build/tests/fuzz_sqlparser" -max_total_time="$seconds" -max_len=2048 -timeout=10 "$corpus"
