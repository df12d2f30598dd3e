# Shared helpers of the end-to-end tests: a private Xvfb, the real program, xdotool.
# Sourced, not run. Needs VANTOR_BINARY and VANTOR_TEST_MEDIA (set by ctest).
set -euo pipefail

e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-e2e.XXXXXX")
e2e_pids=()
e2e_cleanup() {
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$e2e_work"
}
trap e2e_cleanup EXIT
# The program must use the X server of the test, whatever the test runner set for widget tests, and must
# not ask the desktop portal of whoever runs the tests (tests that want a portal start their own bus).
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
# The tests read the Chinese interface, whatever language the person running them uses.
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LANGUAGE
export DBUS_SESSION_BUS_ADDRESS=unix:path=$e2e_work/no-bus

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb on a display it picks itself (tests run in parallel) and exports DISPLAY.
start_x() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$e2e_work/display" >"$e2e_work/xvfb.log" 2>&1 </dev/null &
    e2e_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$e2e_work/display" ] && break
        sleep 0.1
    done
    [ -s "$e2e_work/display" ] || fail "no X server could be started"
    export DISPLAY=":$(tr -d '[:space:]' <"$e2e_work/display")"
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "the X server on $DISPLAY does not answer"
}

# Starts an xterm, the "other program" in front; sets xterm_window.
start_xterm() {
    xterm -geometry 40x10+600+500 -e sleep 600 >/dev/null 2>&1 &
    e2e_pids+=($!)
    xterm_window=$(wait_window_by_class xterm)
}

wait_window_by_class() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --class "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no window of class $1"
}

# Starts Vantor on a video with a private settings folder; sets vantor_pid and vantor_window.
start_vantor() {
    mkdir -p "$e2e_work/config"
    XDG_CONFIG_HOME="$e2e_work/config" VANTOR_AO=null "$VANTOR_BINARY" "$@" >"$e2e_work/vantor.log" 2>&1 &
    vantor_pid=$!
    e2e_pids+=($vantor_pid)
    vantor_window=""
    for _ in $(seq 300); do
        vantor_window=$(xdotool search --name 'SRT外挂字幕制作' 2>/dev/null | head -n 1 || true)
        [ -n "$vantor_window" ] && return 0
        sleep 0.1
    done
    cat "$e2e_work/vantor.log" >&2
    fail "the main window did not appear"
}
