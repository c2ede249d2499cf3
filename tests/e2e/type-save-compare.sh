#!/usr/bin/env bash
# Starts the editor in Xvfb (no window manager) and drives it only as a person would, with
# xdotool: types the legend's three rules, adds a row, deletes a row, saves through the real
# save dialog by typing a path, and compares the saved file byte for byte. Leaves a screenshot
# of the window in the given folder.
set -euo pipefail
editor="$1"
shots="$2"
source "$(dirname "$0")/xvfb-session.sh"
require_tools Xvfb xdotool import
start_session
"$editor" >"$work/editor.log" 2>&1 &
editor_pid=$!

window="$(xdotool search --sync --onlyvisible --name 'Mirevo Holiday Generator' | head -n 1)"

# Positions inside the window, from the layout: the panel is 209 px high and the grid below it
# has a 1 px border; every row is 17 px high plus a 1 px grid line.
# The X server delivers every event in order, so input needs no pause between steps.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
cell_y() { echo $((209 + 1 + $1 * 18 + 9)); }
key() { xdotool key --delay 60 "$@"; }
type_text() { xdotool type --delay 40 -- "$1"; }
enter() { key Return; }

xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
wait_for_focus "$window"
click 100 "$(cell_y 1)" # current cell (0, 1)

rule() { # title, start, weekday, offset, then down to column 0 of the next row
    type_text "$1"; enter
    type_text "$2"; enter
    type_text "$3"; enter
    type_text "$4"
    key Down Home
}
rule "Easter Monday" "Easter" "0" "+1"
rule "Last Wednesday in November" "30.11" "-We" "0"
rule "Third Sunday in March" "01.03" "+Su" "+14"

click 100 "$(cell_y 4)"     # an empty row
click $((168 + 28)) $((31 + 12))  # "add row": 6 rows
click $((231 + 65)) $((31 + 12))  # "delete current row": row 4 goes, 5 rows again

mkdir -p "$shots"
wait_for_picture "$window"
import -window root "$shots/e2e-window.png"

click $((22 + 41)) $((62 + 12))   # "save hol file"
dialog="$(wait_for_window '^Save')"
if [ -z "$dialog" ]; then
    echo "the save dialog did not appear"; cat "$work/editor.log"; exit 1
fi
wait_for_focus "$dialog"
xdotool type --delay 30 -- "$work/rules"   # typed without extension: ".hol" is added
xdotool key Return
for _ in $(seq 50); do
    [ -s "$work/rules.hol" ] && break
    sleep 0.1
done

expected="$work/expected.hol"
{
    printf '\x00\x00\x00\x00\x00\x01'
    printf 'Easter Monday\x00Easter\x000\x00+1\x00\x00\x01'
    printf 'Last Wednesday in November\x0030.11\x00-We\x000\x00\x00\x01'
    printf 'Third Sunday in March\x0001.03\x00+Su\x00+14\x00\x00\x01'
    printf '\x00\x00\x00\x00\x00\x01'
} >"$expected"

if ! cmp "$expected" "$work/rules.hol"; then
    echo "saved bytes differ:"
    od -c "$work/rules.hol" | head -n 20
    echo "expected:"
    od -c "$expected" | head -n 20
    exit 1
fi

# "test" fills the report box; a picture of that for the user guide.
before="$(picture_of "$window")"
click $((735 + 22)) $((14 + 12))
wait_for_picture "$window" "$before"
import -window root -crop 1061x662+0+0 "$shots/e2e-report.png"
echo "saved file matches byte for byte; screenshots in $shots"
