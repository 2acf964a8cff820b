#!/bin/sh
# Builds the Release executable into build-bench/ and runs the benchmark;
# arguments go to bench/run_bench.py (--quick, --rounds N, --dir FOLDER, --cases ..., -v).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-bench" --target Fennick
exec python3 "$root/bench/run_bench.py" --exe "$root/build-bench/Fennick" "$@"
