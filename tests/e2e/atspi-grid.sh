#!/usr/bin/env bash
# The grid as a screen reader sees it: the editor runs in Xvfb on a D-Bus session of its own
# with the accessibility bridge on; a title is typed into a cell with xdotool, then AT-SPI
# (atspi-grid.py) reads the table's counts, that cell's text and the focused cell. Skipped with
# a message when the AT-SPI packages are missing.
set -euo pipefail
editor="$1"
here="$(cd "$(dirname "$0")" && pwd)"

source "$here/xvfb-session.sh"

if [ "${2:-}" != "--inside-session" ]; then
    require_tools Xvfb xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher
    if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
        echo "SKIPPED: python3-pyatspi is missing (scripts/install-deps installs it)"; exit 77
    fi
    exec dbus-run-session -- "$0" "$editor" --inside-session
fi

start_session
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

"$editor" >"$work/editor.log" 2>&1 &
editor_pid=$!
window="$(wait_for_window 'Mirevo Holiday Generator')"
if [ -z "$window" ]; then
    echo "the window did not appear"; cat "$work/editor.log"; exit 1
fi
xdotool windowfocus --sync "$window" 2>/dev/null || true
wait_for_focus "$window"
# The current cell at start is column 0 of row 1, with the focus in the grid.
xdotool type --delay 40 -- "Easter Monday"
xdotool key --delay 60 Down # closes the editor; row 2 becomes current

/usr/bin/python3 "$here/atspi-grid.py" "Easter Monday" || {
    cat "$work/editor.log"; exit 1; }
