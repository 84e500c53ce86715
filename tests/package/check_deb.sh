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
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
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
expect '\./usr/share/rukamina/sounds/新音ファイル\.txt$'
for tone in 正解1 正解2 間違い1 自己最高1 不合格1 最高1 合格; do
    expect "\./usr/share/rukamina/sounds/$tone\.wav\$"
done
# Nothing of the build or the tests may slip in.
if grep -E 'drill_tests|install_tests|make_sample|make_default_sounds|/suite/' "$out/contents.txt"; then
    fail "build or test files in the package"
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
