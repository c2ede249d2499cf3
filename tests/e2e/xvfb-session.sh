# Sourced by the end-to-end tests. require_tools skips the test (exit 77) when a program is
# missing. start_session makes the scratch folder $work, removed at exit together with the
# editor ($editor_pid) and Xvfb; gives the editor a home of its own there, the C.UTF-8 locale
# and the xcb platform; and starts Xvfb on a display number of its own choosing (-displayfd,
# so tests running side by side never collide), exporting DISPLAY. Every X-server test may
# therefore run in parallel with any other; CTest labels them "xserver". The tests wait on
# state (a window, the focus, a file, a picture that changed), never for a fixed time.
require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIPPED: $tool is missing (scripts/install-deps installs it)"; exit 77
        fi
    done
}

stop_session() {
    [ -n "${editor_pid:-}" ] && kill "$editor_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}

start_session() {
    work="$(mktemp -d)"
    trap stop_session EXIT
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
    export XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    local fifo="$work/displayfd"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local number=""
    read -r -t 20 number <"$fifo" || true
    if [ -z "$number" ]; then
        echo "Xvfb did not start:"; cat "$work/xvfb.log"; return 1
    fi
    export DISPLAY=":$number"
}

# The first visible window whose name matches $1, waiting up to ten seconds.
wait_for_window() {
    local id=""
    for _ in $(seq 100); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)"
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}

# Waits up to ten seconds for window $1 to hold the input focus.
wait_for_focus() {
    for _ in $(seq 100); do
        [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$1" ] && return 0
        sleep 0.1
    done
    echo "window $1 did not take the focus"; return 1
}

# A checksum of what window $1 shows.
picture_of() {
    import -window "$1" rgb:- 2>/dev/null | md5sum | cut -d' ' -f1
}

# Waits up to ten seconds for window $1 to show something else than picture $2 (from
# picture_of; empty for any picture) and to stay so over two looks a tenth of a second apart.
wait_for_picture() {
    local last="" now
    for _ in $(seq 100); do
        now="$(picture_of "$1")"
        if [ "$now" != "${2:-}" ] && [ "$now" = "$last" ]; then
            return 0
        fi
        last="$now"
        sleep 0.1
    done
    echo "window $1 did not settle on a new picture"; return 1
}
