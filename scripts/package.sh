#!/usr/bin/env bash
# Builds the Debian package dist/fennick_<version>_<arch>.deb from this checkout:
# installs what is missing, builds the program optimised in build-package/, and
# packs what `cmake --install` lays out under /usr.
#   package.sh [build folder [output folder]]   packs a folder that is already
#                                               configured (the tests pass theirs)
set -euo pipefail
build=$(realpath -m "${1:-$(dirname "$0")/../build-package}")
output=$(realpath -m "${2:-$(dirname "$0")/../dist}")
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package
if [ $# -eq 0 ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target Fennick
mkdir -p "$output"
# CPack keeps its staging folder beside the package; that stays in the build.
staging="$build/package"
rm -f "$staging"/fennick_*.deb
(cd "$build" && cpack -G DEB -B "$PWD/package" >/dev/null)
mv "$staging"/fennick_*.deb "$output"/
ls "$output"/fennick_*.deb
