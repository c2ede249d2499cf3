#!/usr/bin/env bash
# Unpacks the Debian package into a scratch root and checks that it holds the programs, the
# desktop integration, the manual pages, the completion and the Debian files, with the
# declared dependencies and the project's version.
set -euo pipefail
package_dir="$1"
version="$2"
source_dir="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

deb="$package_dir/mirevo-holidays_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "no package $deb (the version in debian/changelog must be the project's, $version):"
    ls "$package_dir"
    exit 1
fi
dpkg-deb -x "$deb" "$work/root"

fail=0
expect() {
    if [ ! -e "$work/root/$1" ]; then
        echo "missing in the package: /$1"; fail=1
    fi
}
expect usr/bin/mirevo-holidays
expect usr/bin/holtool
expect usr/share/applications/org.mirevo.HolidayGenerator.desktop
expect usr/share/metainfo/org.mirevo.HolidayGenerator.metainfo.xml
expect usr/share/mime/packages/org.mirevo.HolidayGenerator.xml
expect usr/share/icons/hicolor/scalable/apps/org.mirevo.HolidayGenerator.svg
expect usr/share/man/man1/mirevo-holidays.1.gz
expect usr/share/man/man1/holtool.1.gz
expect usr/share/bash-completion/completions/holtool
expect usr/share/doc/mirevo-holidays/copyright
expect usr/share/doc/mirevo-holidays/changelog.gz
for example in de at us; do
    expect "usr/share/mirevo-holidays/examples/$example.hol"
done
for size in 16 24 32 48 64 128 256; do
    png="usr/share/icons/hicolor/${size}x${size}/apps/org.mirevo.HolidayGenerator.png"
    expect "$png"
    if [ -e "$work/root/$png" ] && ! file "$work/root/$png" | grep -q "$size x $size"; then
        echo "wrong size: /$png"; fail=1
    fi
done

for exe in mirevo-holidays holtool; do
    if [ -x "$work/root/usr/bin/$exe" ] && ! file "$work/root/usr/bin/$exe" | grep -q ELF; then
        echo "not an executable: /usr/bin/$exe"; fail=1
    fi
done

depends="$(dpkg-deb -f "$deb" Depends)"
recommends="$(dpkg-deb -f "$deb" Recommends)"
for lib in libqt6widgets6 libqt6svg6 libical3 libc6 libstdc++6; do
    if ! grep -q "$lib" <<<"$depends"; then
        echo "Depends lacks $lib: $depends"; fail=1
    fi
done
for font in fonts-wine fonts-liberation2; do
    if ! grep -q "$font" <<<"$recommends"; then
        echo "Recommends lacks $font: $recommends"; fail=1
    fi
done
if ! grep -q "<release version=\"$version\"" \
    "$source_dir/data/org.mirevo.HolidayGenerator.metainfo.xml"; then
    echo "the AppStream releases do not name version $version"; fail=1
fi

if [ "$fail" -ne 0 ]; then
    echo "Package contents:"; dpkg-deb -c "$deb"; exit 1
fi
echo "package $(basename "$deb") is complete"
