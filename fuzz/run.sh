#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for a number of
# seconds (20 unless given) on a copy of its seed corpus from fuzz/corpus/<target>/,
# so the repository is left as it was. Fails when a target crashes, hangs or breaks
# one of its properties; the input that did it is kept in build-fuzz/findings/.
#   fuzz/run.sh [seconds [target...]]     targets default to every fuzz/*_fuzz.cpp
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DFENNICK_WERROR=ON -DFENNICK_FUZZ=ON >/dev/null
cmake --build build-fuzz --target "${targets[@]}"

# The targets write their files in TMPDIR; memory is faster than the disk.
work=$(mktemp -d /dev/shm/fennick-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
for target in "${targets[@]}"; do
    mkdir -p "$work/$target/corpus" "$work/$target/tmp" "build-fuzz/findings/$target"
    if [ -d "fuzz/corpus/$target" ]; then
        cp -R "fuzz/corpus/$target/." "$work/$target/corpus/"
    fi
    log="$work/$target/log"
    if TMPDIR="$work/$target/tmp" "build-fuzz/fuzz/$target" -max_total_time="$seconds" \
        -timeout=30 -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$target/" \
        "$work/$target/corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        coverage=$(sed -n 's/.*DONE *cov: \([0-9]*\).* corp: \([0-9]*\).*/\1 edges, corpus of \2/p' "$log")
        echo "$target: ${seconds} s, ${runs} executions, ${coverage}, no crash"
    else
        tail -n 40 "$log"
        echo "$target: FAILED, the input is in build-fuzz/findings/$target/"
        failed+=("$target")
    fi
done
[ ${#failed[@]} -eq 0 ] || { echo "Fuzz targets that failed: ${failed[*]}" >&2; exit 1; }
