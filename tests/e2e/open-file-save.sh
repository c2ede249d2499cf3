#!/usr/bin/env bash
# Starts `mirevo-holidays FILE` in Xvfb on a file with umlauts and rows of different lengths,
# as a file manager would, saves it through the real save dialog (which must offer the opened
# file) and compares the bytes: every row comes back as long as the longest. Leaves a
# screenshot of the window with the opened file in the given folder.
set -euo pipefail
editor="$1"
shots="$2"
source "$(dirname "$0")/xvfb-session.sh"
require_tools Xvfb xdotool import
start_session

file="Feiertage Baden-Württemberg.hol"
{
    printf 'Feiertag\0Datum\0Richtung\0Offset\0x\0Bayern\0Baden-Württemberg\1'
    printf 'Ostermontag\0Easter\0000\0+1\1'
    printf 'Buß- und Bettag\00023.11\0-We\1'
    printf 'Mariä Himmelfahrt\00015.08\0000\0000\0\0001\1'
} >"$work/$file"
expected="$work/expected.hol"
{
    printf 'Feiertag\0Datum\0Richtung\0Offset\0x\0Bayern\0Baden-Württemberg\1'
    printf 'Ostermontag\0Easter\0000\0+1\0\0\0\1'
    printf 'Buß- und Bettag\00023.11\0-We\0\0\0\0\1'
    printf 'Mariä Himmelfahrt\00015.08\0000\0000\0\0001\0\1'
} >"$expected"

# Started from the file's folder with a relative name, as a terminal user would.
(cd "$work" && exec "$editor" "$file") >"$work/editor.log" 2>&1 &
editor_pid=$!
window="$(wait_for_window 'Mirevo Holiday Generator')"
if [ -z "$window" ]; then
    echo "the window did not appear"; cat "$work/editor.log"; exit 1
fi
wait_for_picture "$window"
mkdir -p "$shots"
import -window root -crop 1280x700+0+0 "$shots/e2e-open-file.png"

xdotool mousemove --window "$window" $((22 + 41)) $((62 + 12)) click 1 # "save hol file"
dialog="$(wait_for_window '^Save')"
if [ -z "$dialog" ]; then
    echo "the save dialog did not appear"; cat "$work/editor.log"; exit 1
fi
wait_for_focus "$dialog"
xdotool key Return # the dialog offers the opened file's folder and name
for _ in $(seq 50); do
    cmp -s "$expected" "$work/$file" && break
    sleep 0.1
done
if ! cmp "$expected" "$work/$file"; then
    echo "saved bytes differ:"; od -c "$work/$file" | head -n 20
    echo "expected:"; od -c "$expected" | head -n 20
    cat "$work/editor.log"
    exit 1
fi
echo "the file given on the command line was opened and saved back byte for byte"
