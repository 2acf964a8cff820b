#!/usr/bin/env bash
# Installs what is missing, builds everything from scratch in build-test/ with
# warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
rm -rf build-test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENNICK_WERROR=ON
cmake --build build-test
cd build-test
ctest --output-on-failure --no-tests=error
