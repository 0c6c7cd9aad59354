#!/usr/bin/env bash
# The employee-list benchmarks in one command: builds qarvel-gendata and
# qarvel-bench if needed, generates databases of 10,000 and 100,000 employees
# (5 history rows each) once into a cache folder, and prints the benchmark
# table for each. Exits non-zero when a target is missed.
#
#   bench/run.sh [qarvel-bench options, e.g. --runs 11 --export-runs 1]
#
# Environment:
#   QARVEL_BENCH_BUILD  build folder (default: <repo>/build)
#   QARVEL_BENCH_DATA   cache of generated databases (default: <build>/bench-data)
#   QARVEL_BENCH_SIZES  employee counts (default: "10000 100000")
#   QARVEL_BENCH_HISTORY history rows per employee (default: 5)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QARVEL_BENCH_BUILD:-$ROOT/build}"
DATA="${QARVEL_BENCH_DATA:-$BUILD/bench-data}"
SIZES="${QARVEL_BENCH_SIZES:-10000 100000}"
HISTORY="${QARVEL_BENCH_HISTORY:-5}"

# A machine without the tools gets them (and a full build) from the project's bootstrap.
for pkg in g++ cmake ninja-build pkg-config qt6-base-dev libqt6sql6-sqlite libsqlite3-dev; do
    if [[ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)" != "install ok installed" ]]; then
        bash "$ROOT/scripts/bootstrap.sh" >&2
        break
    fi
done
if [[ ! -f "$BUILD/build.ninja" || ! -f "$BUILD/CMakeCache.txt" ]]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja >&2
fi
cmake --build "$BUILD" --target qarvel-gendata qarvel-bench >&2

BIN="$BUILD/bin"
# A cached database is reused only while the generator and the schema are the ones that made it.
STAMP="$(cat "$ROOT/bench/gendata.cpp" "$ROOT/src/db/schema.cpp" | sha1sum | cut -c1-10)"
mkdir -p "$DATA"

status=0
for n in $SIZES; do
    folder="$DATA/employees-$n-k$HISTORY-$STAMP"
    if [[ ! -f "$folder/Employee.db" ]]; then
        # Made beside the cache and moved in whole, so an interrupted run leaves nothing to reuse.
        tmp="$DATA/.making-$n-$$"
        rm -rf "$tmp"
        echo "bench: generating $n employees into $folder" >&2
        "$BIN/qarvel-gendata" --employees "$n" --history "$HISTORY" "$tmp" >&2
        # Databases of an older generator or schema are of no more use.
        rm -rf "$DATA/employees-$n-k$HISTORY-"*
        mv "$tmp" "$folder"
    fi
    echo
    "$BIN/qarvel-bench" "$@" "$folder" || status=1
done
exit $status
