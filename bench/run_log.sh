#!/bin/sh
# Instructions that the run log spends per file: builds bench/run_log_bench.cpp
# (RelWithDebInfo, in build-bench/) and counts with callgrind what
# RunLog::transferred costs over 20,000 files (or the count given), the write
# system call included, the building of the names by the benchmark excluded.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-20000}
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-bench" --target run_log_bench >/dev/null
out=$(mktemp)
valgrind --tool=callgrind --callgrind-out-file="$out" \
    --toggle-collect='RunLog::transferred*' "$root/build-bench/run_log_bench" "$files" \
    2>/dev/null >/dev/null
total=$(callgrind_annotate "$out" | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
rm -f "$out"
echo "RunLog::transferred: $total instructions for $files files, $((total / files)) per file"
