#!/usr/bin/env bash
# Installs the Debian packages that Fennick needs, only those that are missing.
#   install-deps.sh run    what building and running the program needs
#   install-deps.sh test   what building and running every test needs
#   install-deps.sh package  what building the Debian package needs
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
       libx11-dev libacl1-dev libattr1-dev libglib2.0-dev libxxhash-dev)
# dpkg-buildpackage and debhelper (which pulls in `file`, dpkg-shlibdeps and
# the rest) build the Debian package from debian/.
package=(dpkg-dev debhelper)
case "${1:-run}" in
run) packages=("${build[@]}" fonts-noto-cjk) ;;
package) packages=("${build[@]}" "${package[@]}") ;;
# liblnk-utils, libglib2.0-bin and desktop-file-utils read the desktop shortcuts
# that the tests write (lnkinfo, gio, desktop-file-validate); python3 runs the
# crash consistency test; clang builds the fuzz targets; the package test
# builds the package (again quickly with ccache) and checks it (lintian), its
# menu entry and its metainfo (appstreamcli); the window tests measure captions
# in the Japanese font; the file-system test makes and mounts file systems
# (e2fsprogs to fuse3) and reads ACLs and extended attributes (acl, attr), and
# an SFTP folder through sshfs talking to sftp-server over a pipe (socat), with
# no SSH server; man-db and groff-base render the manual pages.
test) packages=("${build[@]}" "${package[@]}" fonts-noto-cjk libgtest-dev libgmock-dev libxtst-dev
                xvfb util-linux liblnk-utils libglib2.0-bin desktop-file-utils appstream python3
                lintian ccache clang-14 libclang-rt-14-dev
                e2fsprogs xfsprogs btrfs-progs exfat-fuse exfatprogs ntfs-3g bindfs fuse3 acl attr
                sshfs openssh-sftp-server socat man-db groff-base) ;;
*) echo "usage: $0 run|test|package" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "There is no sudo here: install them as root (su asks for root's password)," >&2
        echo "then run this command again:" >&2
        echo "  su -c 'apt-get update && apt-get install --no-install-recommends ${missing[*]}'" >&2
        exit 1
    fi
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
