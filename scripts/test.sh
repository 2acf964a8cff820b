#!/usr/bin/env bash
# Installs what is missing, builds everything from scratch in build-test/ with
# warnings as errors, and runs every test; then runs each fuzz target for 20
# seconds (fuzz/run.sh, in build-fuzz/), and builds and runs every test again
# with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/.
#   test.sh --quick   for daily work: one incremental build in build-quick/ and
#                     ctest (arguments after --quick go to ctest, e.g. -R Copy)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
if [ "${1:-}" = --quick ]; then
    shift
    cmake -S . -B build-quick -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENNICK_WERROR=ON
    cmake --build build-quick
    cd build-quick && exec ctest --output-on-failure --no-tests=error -j2 "$@"
fi
rm -rf build-test build-sanitize build-fuzz
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENNICK_WERROR=ON
cmake --build build-test
(cd build-test && ctest --output-on-failure --no-tests=error)

bash fuzz/run.sh 20

# Unoptimised: every access is checked all the same, and the build takes half as long.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFENNICK_WERROR=ON \
    -DFENNICK_SANITIZE=ON
cmake --build build-sanitize
(cd build-sanitize && ctest --output-on-failure --no-tests=error)
