#!/usr/bin/env bash
# Builds the Debian package dist/fennick_<version>_<arch>.deb from this checkout
# with debhelper (debian/): installs what is missing, copies the sources into
# the work folder and runs dpkg-buildpackage there, so that the checkout itself
# stays as it was.
#   package.sh [work folder [output folder]]   default build-package/ and dist/
set -euo pipefail
work=$(realpath -m "${1:-$(dirname "$0")/../build-package}")
output=$(realpath -m "${2:-$(dirname "$0")/../dist}")
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package

# dpkg-buildpackage writes the package beside the source folder, into the work folder.
version=$(dpkg-parsechangelog -S Version)
sources="$work/fennick-$version"
rm -rf "$sources" "$work"/fennick*_"$version"_*
mkdir -p "$sources" "$output"
# Build folders (any configured one, and the work folder when it lies in the
# checkout) stay behind.
tar -c --exclude-vcs --exclude-tag-all=CMakeCache.txt --exclude=./build --exclude='./build-*' \
    --exclude=./dist --exclude='./obj-*' \
    --exclude="./$(realpath -m --relative-to=. "$work")" . | tar -x -C "$sources"

# The same path every time and ccache, where installed, make a second build quick.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
# noddebs: no debug symbol package, as before.
(cd "$sources" &&
    DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }noddebs" dpkg-buildpackage -us -uc -b -Jauto)
deb=$(echo "$work"/fennick_"$version"_*.deb)
mv "$deb" "$output"/
rm -rf "$sources" "$work"/fennick_"$version"_*.{buildinfo,changes}
echo "$output/$(basename "$deb")"
