#!/usr/bin/env bash
# Installs the desktop entry and the MIME type into scratch XDG folders, updates their caches
# as a package's triggers do, and checks that a .hol file is of our type and that the editor
# is the default program for it. Skipped with a message when the freedesktop tools are missing.
set -euo pipefail
source_dir="$1"
app_id=org.mirevo.HolidayGenerator

for tool in xdg-mime update-mime-database update-desktop-database; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed (scripts/install-deps installs it)"
        exit 77
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_DIRS="$work/usr/share" XDG_CONFIG_DIRS="$work/etc/xdg"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_DIRS/applications" \
    "$XDG_DATA_DIRS/mime/packages"
cp "$source_dir/data/$app_id.desktop" "$XDG_DATA_DIRS/applications/"
cp "$source_dir/data/$app_id.mime.xml" "$XDG_DATA_DIRS/mime/packages/$app_id.xml"
update-mime-database "$XDG_DATA_DIRS/mime"
update-desktop-database "$XDG_DATA_DIRS/applications"

# Outside a desktop session xdg-mime asks file(1) for a file's type, which knows no .hol; the
# shared MIME database that every desktop reads holds the glob.
default="$(xdg-mime query default application/x-mirevo-holiday)"
fail=0
if ! grep -qx '[0-9]*:application/x-mirevo-holiday:\*\.hol' "$XDG_DATA_DIRS/mime/globs2"; then
    echo "the MIME database has no *.hol glob for our type:"; cat "$XDG_DATA_DIRS/mime/globs2"; fail=1
fi
if [ "$default" != "$app_id.desktop" ]; then
    echo "the default program for .hol files is '$default'"; fail=1
fi
if ! grep -qx "Exec=mirevo-holidays %f" "$XDG_DATA_DIRS/applications/$app_id.desktop"; then
    echo "the desktop entry does not hand the file to the editor"; fail=1
fi
[ "$fail" -eq 0 ] && echo "a .hol file opens in $default"
exit "$fail"
