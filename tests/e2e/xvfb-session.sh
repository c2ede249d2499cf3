# Sourced by the end-to-end tests: starts Xvfb on a display number of its own choosing
# (-displayfd, so tests running side by side never collide) and exports DISPLAY. Needs $work,
# a scratch folder; sets xvfb_pid for the caller's clean-up.
start_xvfb() {
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
