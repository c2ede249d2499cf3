#!/usr/bin/env bash
# The grid as a screen reader sees it: the editor runs in Xvfb on a D-Bus session of its own
# with the accessibility bridge on; a title is typed into a cell with xdotool, then AT-SPI
# (atspi-grid.py) reads the table's counts, that cell's text and the focused cell. Skipped with
# a message when the AT-SPI packages are missing.
set -euo pipefail
editor="$1"
here="$(cd "$(dirname "$0")" && pwd)"

if [ "${2:-}" != "--inside-session" ]; then
    for tool in Xvfb xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIPPED: $tool is missing (scripts/install-deps installs it)"; exit 77
        fi
    done
    if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
        echo "SKIPPED: python3-pyatspi is missing (scripts/install-deps installs it)"; exit 77
    fi
    exec dbus-run-session -- "$0" "$editor" --inside-session
fi

work="$(mktemp -d)"
cleanup() {
    [ -n "${editor_pid:-}" ] && kill "$editor_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
source "$here/xvfb-session.sh"
start_xvfb

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" LC_ALL=C.UTF-8
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

"$editor" >"$work/editor.log" 2>&1 &
editor_pid=$!
window="$(wait_for_window 'Mirevo Holiday Generator')"
if [ -z "$window" ]; then
    echo "the window did not appear"; cat "$work/editor.log"; exit 1
fi
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || true
# The current cell at start is column 0 of row 1, with the focus in the grid.
xdotool type --delay 40 -- "Easter Monday"
xdotool key --delay 60 Down # closes the editor; row 2 becomes current
sleep 0.5

/usr/bin/python3 "$here/atspi-grid.py" "Easter Monday" || {
    cat "$work/editor.log"; exit 1; }
