# Shared helpers of the portal tests: a private D-Bus session bus and the fake portal on it.
# Sourced, not run. Every service started here is stopped when the script exits.
set -euo pipefail

portal_tests=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Sourced after tests/e2e/lib.bash, the end-to-end helpers' folder and clean-up are shared.
if declare -F e2e_cleanup >/dev/null; then
    work=$e2e_work
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-portal.XXXXXX")
fi
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    # e2e_cleanup stops its own processes, waits for every child and removes the folder.
    if declare -F e2e_cleanup >/dev/null; then
        e2e_cleanup
    else
        wait 2>/dev/null || true
        rm -rf "$work"
    fi
}
trap cleanup EXIT

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p -m 700 "$work/runtime"

fail() {
    echo "FAIL: $*" >&2
    local log
    for log in "$work"/*.out "$work"/*.err "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
    done
    exit 1
}

# wait_for FILE PATTERN [COUNT]: until FILE holds COUNT lines matching PATTERN (30 s at most: the machine
# may be busy).
wait_for() {
    local file=$1 pattern=$2 count=${3:-1} tries
    for ((tries = 0; tries < 600; tries++)); do
        local found
        found=$(grep -cE -- "$pattern" "$file" 2>/dev/null || true)
        [ "${found:-0}" -ge "$count" ] && return 0
        sleep 0.05
    done
    fail "waited in vain for $count line(s) /$pattern/ in $(basename "$file")"
}

# A session bus of our own; DBUS_SESSION_BUS_ADDRESS points at it. Its own configuration: the standard
# session configuration would let the bus start the installed xdg-desktop-portal on the first call to its
# name. SERVICE_DIR (optional) is the only folder of services it may start.
start_bus() {
    local service_dir=${1:-}
    {
        echo '<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"'
        echo ' "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">'
        echo "<busconfig><type>session</type><listen>unix:path=$work/bus</listen><auth>EXTERNAL</auth>"
        [ -n "$service_dir" ] && echo "<servicedir>$service_dir</servicedir>"
        echo '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
        echo '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>'
    } >"$work/bus.conf"
    dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 \
        3>"$work/bus.address" >"$work/dbus.log" 2>&1 &
    pids+=($!)
    local tries
    for ((tries = 0; tries < 600; tries++)); do
        [ -s "$work/bus.address" ] && break
        sleep 0.05
    done
    [ -s "$work/bus.address" ] || fail "dbus-daemon did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
}

# start_fake NAME ARGS...: the fake portal, reading commands from a pipe kept open here; its log is
# $work/NAME.log.
declare -A fake_in fake_pid
start_fake() {
    local name=$1 fd
    shift
    mkfifo "$work/$name.fake.in"
    /usr/bin/python3 "$portal_tests/fake_portal.py" --log "$work/$name.log" "$@" \
        <"$work/$name.fake.in" >"$work/$name.fake.err" 2>&1 &
    fake_pid[$name]=$!
    pids+=($!)
    exec {fd}>"$work/$name.fake.in"
    fake_in[$name]=$fd
    wait_for "$work/$name.log" '^ready '
}
tell_fake() { echo "$2" >&"${fake_in[$1]}"; }
# stop_fake NAME: the portal goes away as a crash would, without a word to its clients.
stop_fake() {
    kill "${fake_pid[$1]}"
    wait "${fake_pid[$1]}" 2>/dev/null || true
    local fd=${fake_in[$1]}
    exec {fd}>&-
}
# No fake may have seen a protocol error.
check_fakes_clean() {
    local log
    for log in "$work"/*.log; do
        [ -f "$log" ] || continue
        if grep -q '^ERROR' "$log"; then
            fail "$(basename "$log"): $(grep '^ERROR' "$log" | head -n3)"
        fi
    done
    return 0
}
