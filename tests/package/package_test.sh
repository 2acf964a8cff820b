#!/usr/bin/env bash
# The Debian package and the installed program, from a build folder:
#   package_test.sh <build folder> <version>
# Builds the package with scripts/package.sh and checks its files and
# dependencies; installs the build into a temporary DESTDIR, checks the menu
# entry and the metainfo with their validators, and runs the installed program
# as an unprivileged user with a home of its own: its files are in
# ~/.config/fennick/ (or $XDG_CONFIG_HOME/fennick/), created when missing.
set -euo pipefail
umask 022 # the installed files must be readable by the user who runs them
build=$(realpath "$1")
version=$2
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

deb="$work/dist/fennick_${version}_$(dpkg --print-architecture).deb"
bash "$here/../../scripts/package.sh" "$build" "$work/dist" >/dev/null
[ -f "$deb" ] || { echo "FAIL: no package $deb" >&2; exit 1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/fennick ./usr/lib/fennick/Fennick-display.so \
            ./usr/share/applications/org.fennick.Fennick.desktop \
            ./usr/share/metainfo/org.fennick.Fennick.metainfo.xml \
            ./usr/share/man/man1/fennick.1.gz ./usr/share/man/ja/man1/fennick.1.gz \
            ./usr/share/icons/hicolor/{16x16,48x48,128x128}/apps/fennick.png \
            ./usr/share/icons/hicolor/64x64/apps/fennick-{copy,delete,move}.png; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
outside=$(grep -v '^\./usr/' <<<"$contents" || true)
[ -z "$outside" ] || fail "the package holds files outside /usr: $outside"

depends=$(dpkg-deb -f "$deb" Depends)
for package in qt6-qpa-plugins libqt6core6 libqt6widgets6 libc6; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
[ "$recommends" = "fonts-noto-cjk, qt6-translations-l10n" ] || fail "Recommends: $recommends"

stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
desktop-file-validate "$stage/usr/share/applications/org.fennick.Fennick.desktop" ||
    fail "desktop-file-validate rejects the menu entry"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.fennick.Fennick.metainfo.xml" \
    >/dev/null || fail "appstreamcli rejects the metainfo"

# The installed program as an ordinary user sees it: root drops to nobody.
home="$work/home"
mkdir -p "$home/.config/fennick" "$work/src" "$work/out"
echo data >"$work/src/a.txt"
printf '%s/out/,%s/src/a.txt\n' "$work" "$work" >"$home/.config/fennick/3copylist.txt"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$work"
    chown -R nobody:nogroup "$home" "$work/out"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
fennick() {
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@" \
        "${as_user[@]}" "$stage/usr/bin/fennick" "${arguments[@]}"
}

arguments=(/c3)
fennick </dev/null || fail "the installed program's run of profile 3 ended with $?"
[ "$(cat "$work/out/a.txt" 2>/dev/null)" = data ] || fail "the run did not copy a.txt"
[ -s "$home/.config/fennick/_Fennick.log" ] || fail "the run log is not in ~/.config/fennick/"

arguments=(--version)
[ "$(fennick)" = "Fennick $version" ] || fail "--version printed something else"
# A named display is not even tried: no window opens for the two.
[ "$(fennick DISPLAY=:99)" = "Fennick $version" ] || fail "--version with a display"
arguments=(--help)
fennick | grep -qF "$home/.config/fennick/" || fail "--help does not name ~/.config/fennick/"

# A folder of its own when XDG_CONFIG_HOME names one, made private when missing.
arguments=(/c3)
fennick XDG_CONFIG_HOME="$home/elsewhere" </dev/null 2>/dev/null && fail "a run without a job list succeeded"
[ "$(stat -c %a "$home/elsewhere/fennick" 2>/dev/null)" = 700 ] ||
    fail "\$XDG_CONFIG_HOME/fennick/ was not made private"
[ -z "$(ls "$stage/usr/bin" | grep -vx fennick)" ] ||
    fail "the installed program wrote into its own folder"

exit $((failures > 0))
