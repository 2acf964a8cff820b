#!/usr/bin/env bash
# The Debian package and the installed program, from a build folder:
#   package_test.sh <build folder> <version>
# Builds the package with scripts/package.sh, checks it with lintian, checks
# that it holds what `cmake --install` lays out, its hardening and its
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

# The package is built the way Debian builds it, in a work folder of the build
# folder's own (the same path each time, so that ccache finds its objects).
deb="$work/dist/fennick_${version}_$(dpkg --print-architecture).deb"
bash "$here/../../scripts/package.sh" "$build/package-build" "$work/dist" >"$work/build.log" 2>&1 ||
    { tail -40 "$work/build.log" >&2; echo "FAIL: scripts/package.sh failed" >&2; exit 1; }
[ -f "$deb" ] || { echo "FAIL: no package $deb" >&2; exit 1; }
findings=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $findings"

# Whatever `cmake --install` lays out is in the package, at the same place
# (a manual page compressed, if it was not).
stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
while read -r path; do
    grep -qxF -e ".$path" -e ".$path.gz" <<<"$contents" || fail "the package lacks $path"
done < <(cd "$stage" && find . -type f -printf '/%P\n')
for path in ./usr/bin/fennick ./usr/share/doc/fennick/copyright ./usr/share/man/ja/man1/fennick.1.gz; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
outside=$(grep -vx -e '\./' -e '\./usr/.*' <<<"$contents" || true)
[ -z "$outside" ] || fail "the package holds files outside /usr: $outside"

# Hardened as dpkg-buildflags builds with hardening=+all: stack protector and
# immediate binding (BIND_NOW), which the default flags leave out.
dpkg-deb -x "$deb" "$work/unpacked"
for binary in usr/bin/fennick usr/lib/fennick/Fennick-display.so; do
    readelf -d "$work/unpacked/$binary" | grep -qE 'FLAGS.*\bNOW\b' || fail "$binary lacks BIND_NOW"
    readelf --dyn-syms --wide "$work/unpacked/$binary" | grep -F __stack_chk_fail >/dev/null ||
        fail "$binary lacks the stack protector"
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in qt6-qpa-plugins libglib2.0-0 libqt6core6 libqt6widgets6 libc6; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
[ "$recommends" = "fonts-noto-cjk, qt6-translations-l10n" ] || fail "Recommends: $recommends"

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
# A relative XDG_CONFIG_HOME is ignored; without a home folder the program stops and says so.
(cd "$work" && fennick XDG_CONFIG_HOME=cfg </dev/null) || fail "a relative XDG_CONFIG_HOME was not ignored"
[ ! -e "$work/cfg" ] || fail "a relative XDG_CONFIG_HOME was used"
env -i PATH=/usr/bin:/bin LANG=C.UTF-8 "${as_user[@]}" "$stage/usr/bin/fennick" /c3 \
    </dev/null 2>"$work/no-home.txt" && fail "a run without HOME succeeded"
grep -q "HOME" "$work/no-home.txt" || fail "a run without HOME did not say why it stopped"
[ -z "$(ls "$stage/usr/bin" | grep -vx fennick)" ] ||
    fail "the installed program wrote into its own folder"

# Without root and without sudo, the install script names what is missing and
# the command that installs it as root, and stops (dpkg-query finds nothing).
tools="$work/tools"
mkdir -p "$tools"
ln -s "$(command -v id)" "$(command -v grep)" "$tools/"
printf '#!/bin/sh\nexit 1\n' >"$tools/dpkg-query"
chmod 755 "$tools/dpkg-query" "$tools"
install_output=$("${as_user[@]}" env -i PATH="$tools" /bin/bash "$here/../../scripts/install-deps.sh" run 2>&1) &&
    fail "the install script succeeded without root and sudo"
grep -qF "su -c 'apt-get update && apt-get install --no-install-recommends cmake " <<<"$install_output" ||
    fail "the install script named no command to run as root: $install_output"

exit $((failures > 0))
