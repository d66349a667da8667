#!/usr/bin/env bash
# The Debian package made from this build, as an office installs it: its control
# data and file list, the desktop entry and AppStream file it carries, and the
# program run from the unpacked package.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# gzip rather than xz: the same package, made in a fraction of the time.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" \
    -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >"$work/cpack.log" || {
    cat "$work/cpack.log"
    fail "cpack"
}
deb=$(echo "$work"/out/mivora_*.deb)
[ -f "$deb" ] || fail "no package in $work/out"

dpkg-deb -I "$deb" >/dev/null || fail "dpkg-deb -I"
[ "$(dpkg-deb -f "$deb" Package)" = mivora ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6printsupport6 libsqlite3-0 libicu libjpeg62-turbo libzip4 \
    fonts-ipafont-gothic qt6-translations-l10n; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# The program, its catalogue beside the framework's, its menu entry, icon,
# description, manual page, copyright and changelog; nothing else.
expected=(
    ./usr/bin/mivora
    ./usr/share/qt6/translations/mivora_ja.qm
    ./usr/share/applications/jp.varnel.Mivora.desktop
    ./usr/share/metainfo/jp.varnel.Mivora.metainfo.xml
    ./usr/share/man/man1/mivora.1.gz
    ./usr/share/doc/mivora/copyright
    ./usr/share/doc/mivora/changelog.gz
    ./usr/share/icons/hicolor/scalable/apps/jp.varnel.Mivora.svg
)
for size in 16 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/jp.varnel.Mivora.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) \
    <(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort) || fail "file list"

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/jp.varnel.Mivora.desktop"
desktop-file-validate "$desktop" || fail "desktop entry"
for line in "Categories=Office;" "Name[ja]=" "Comment[ja]=" "Exec=mivora" "Icon=jp.varnel.Mivora"; do
    grep -qF "$line" "$desktop" || fail "desktop entry lacks $line"
done
appstreamcli validate --no-net "$root/usr/share/metainfo/jp.varnel.Mivora.metainfo.xml" >"$work/as.log" || {
    cat "$work/as.log"
    fail "metainfo"
}

# Debian's own checks: no error; the hardening flags, where the build can have them.
command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup.sh)"
lintian --info --display-info "$deb" >"$work/lintian.log" 2>&1 || true
if grep -E '^E: ' "$work/lintian.log"; then
    fail "lintian errors"
fi
# Fortified libc calls need an optimised build and no sanitizers.
optimised=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
sanitized=$(sed -n 's/^MIVORA_SANITIZE:BOOL=//p' "$build/CMakeCache.txt")
hardening=(hardening-no-bindnow hardening-no-relro hardening-no-pie)
case "$optimised:$sanitized" in
Release:OFF | RelWithDebInfo:OFF | MinSizeRel:OFF) hardening+=(hardening-no-fortify-functions) ;;
esac
for tag in "${hardening[@]}"; do
    if grep -F " $tag " "$work/lintian.log"; then
        fail "lintian: $tag"
    fi
done

mivora="$root/usr/bin/mivora"
# The manual page has every use that --help lists, and the changelog the package's version.
manual=$(zcat "$root/usr/share/man/man1/mivora.1.gz")
while read -r use; do
    grep -qF ".B mivora ${use//-/\\-}" <<<"$manual" || fail "manual page lacks mivora $use"
done < <("$mivora" --help | sed -n 's/^  mivora \([^ ]*\).*/\1/p')
zcat "$root/usr/share/doc/mivora/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] || fail "changelog version"

"$mivora" --help | grep -q "mivora init" || fail "--help"
[ "$("$mivora" --version)" = "Mivora For Win32 Version $version" ] || fail "--version"
(cd "$work" && "$mivora" init folder >/dev/null) || fail "init"
for file in CARDATA/INDATA.db CARDATA/PrtData.DB User.INI 白地.jpg; do
    [ -s "$work/folder/$file" ] || fail "init made no $file"
done
(cd "$work/folder" && "$mivora" resolve --record 1 --text 車名 | grep -q .) || fail "resolve"
echo "package: $(basename "$deb") installs and runs"
