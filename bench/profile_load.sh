#!/bin/sh
# Builds the Release window benchmark into build-bench/ and times how long the
# settings window takes to show a profile of 4,000 and 100,000 entries (or the
# counts given as arguments): offscreen, and on a virtual X server when
# xvfb-run is there.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-bench" --target profile_load_bench >/dev/null
bench="$root/build-bench/profile_load_bench"
QT_QPA_PLATFORM=offscreen "$bench" "$@"
if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$bench" "$@"
fi
