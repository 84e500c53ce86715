#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the Debian package from the build folder and checks its control
# fields and file list the way dpkg will see them.
#
# usage: check_deb.sh <build-dir> <output-dir> <version>
set -eu
build=$1
out=$2
version=$3
rm -rf "$out"
mkdir -p "$out"
# Built as on a fresh minimal Debian root, which has no locale: with LANG
# and LC_* unset whatever the caller's environment holds.
if ! env -i PATH="$PATH" HOME="${HOME:-/tmp}" cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" \
    >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
fi
deb=$(ls "$out"/rukamina_*.deb)
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = rukamina ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# The libraries found by dpkg-shlibdeps, and what is loaded by name at run time.
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libsndfile1 libasound2 libc6 libstdc++6 \
    qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic fonts-ipafont-mincho; do
    echo "$depends" | tr ',' '\n' | sed 's/^ *//' | grep -q "^$dep\( \|$\)" || fail "Depends lacks $dep: $depends"
done

dpkg-deb -c "$deb" >"$out/contents.txt"
expect() {
    grep -q -- "$1" "$out/contents.txt" || fail "file list lacks $1"
}
expect '^-rwxr-xr-x root/root .* \./usr/lib/rukamina/rukamina/rukamina$'
expect '^lrwxrwxrwx root/root .* \./usr/bin/rukamina -> \.\./lib/rukamina/rukamina/rukamina$'
expect '^-rw-r--r-- root/root .* \./usr/share/applications/rukamina\.desktop$'
expect '^-rw-r--r-- root/root .* \./usr/share/icons/hicolor/scalable/apps/rukamina\.svg$'
expect '^-rw-r--r-- root/root .* \./usr/share/man/man1/rukamina\.1\.gz$'
expect '\./usr/share/rukamina/sounds/sound-list\.txt$'
for tone in correct1 correct2 wrong1 own-record1 no-record1 top-record1 goal; do
    expect "\./usr/share/rukamina/sounds/$tone\.wav\$"
done
# Every name in ASCII: tar and dpkg see bytes, and a machine without a UTF-8
# locale (a fresh minimal root) cannot build or list anything else.
if LC_ALL=C grep -n '[^ -~]' "$out/contents.txt"; then
    fail "file names outside ASCII in the package"
fi
# Nothing of the build or the tests may slip in.
if grep -E 'drill_tests|install_tests|make_sample|make_default_sounds|/suite/' "$out/contents.txt"; then
    fail "build or test files in the package"
fi

# The long description: the summary is the Description line itself and
# is not said again; every following line is indented by one blank, as
# dpkg-deb -I then shows them all alike.
summary=$(field Description | head -n 1)
[ -n "$summary" ] || fail "no Description"
long=$(field Description | tail -n +2)
[ -n "$long" ] || fail "no long description"
if echo "$long" | grep -qiF -- "$summary"; then
    fail "the long description repeats the summary '$summary'"
fi
if echo "$long" | grep -qv '^ [^ ]'; then
    fail "long description lines not indented alike: $(echo "$long" | grep -v '^ [^ ]')"
fi

dpkg-deb -x "$deb" "$out/root"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$out/root/usr/share/applications/rukamina.desktop" || fail "desktop entry does not validate"
fi
grep -q '^Name\[ja\]=ルカミナ$' "$out/root/usr/share/applications/rukamina.desktop" || fail "no Name[ja]"
grep -q '^Categories=.*Education;' "$out/root/usr/share/applications/rukamina.desktop" || fail "not in Education"
file "$out/root/usr/lib/rukamina/rukamina/rukamina" | grep -q 'ELF.*, stripped' || fail "program is not a stripped ELF file"

[ $failed -eq 0 ] && echo "$(basename "$deb"): control fields and file list as expected"
exit $failed
