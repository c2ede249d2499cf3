#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root and checks that
# it holds the programs, the desktop integration and the declared dependencies.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"; exit 1; }
deb="$(ls "$work"/out/*.deb)"
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

if [ "$fail" -ne 0 ]; then
    echo "Package contents:"; dpkg-deb -c "$deb"; exit 1
fi
echo "package $(basename "$deb") is complete"
