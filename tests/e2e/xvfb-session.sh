# Sourced by the end-to-end tests. require_tools skips the test (exit 77) when a program is
# missing. start_session makes the scratch folder $work, removed at exit together with the
# editor ($editor_pid) and Xvfb; gives the editor a home of its own there, the C.UTF-8 locale
# and the xcb platform; and starts Xvfb on a display number of its own choosing (-displayfd,
# so tests running side by side never collide), exporting DISPLAY.
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
