#!/usr/bin/env bash
# F9, F10, F7 and F8 reach the probe on a real X server while another client has the focus, in every lock
# state, and never reach that client; a key another client holds is refused without costing the others;
# a key given back goes to the focused client again.
# Needs VANTOR_X11_PROBE (the x11_hot_key_probe program), Xvfb, xterm and xdotool.
set -euo pipefail

probe=${VANTOR_X11_PROBE:?VANTOR_X11_PROBE must name the x11_hot_key_probe program}
work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$work/runtime"
# An X session: the portal is not asked, and no bus of the user's is reached.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus

shown() { od -An -c | tr -s ' \n' ' '; }

fail() {
    echo "FAIL: $*" >&2
    local log
    for log in "$work"/*.out "$work"/*.err; do
        [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
    done
    echo "--- the xterm received:$(shown <"$work/xterm.keys")" >&2
    exit 1
}

# wait_for FILE PATTERN [COUNT]: until FILE holds COUNT lines matching PATTERN (30 s at most: the machine
# may be busy).
wait_for() {
    local file=$1 pattern=$2 count=${3:-1} tries
    for ((tries = 0; tries < 600; tries++)); do
        [ "$(grep -cE -- "$pattern" "$file" 2>/dev/null)" -ge "$count" ] && return 0
        sleep 0.05
    done
    fail "waited in vain for $count line(s) /$pattern/ in $(basename "$file")"
}

# Xvfb picks a free display itself and writes its number to the descriptor.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for ((tries = 0; tries < 600; tries++)); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display=$(head -n1 "$work/display")
export DISPLAY=:$display

# The focused client: an xterm whose shell writes every byte it receives to a file.
: >"$work/xterm.keys"
# shellcheck disable=SC2016 # the inner shell expands its own argument
xterm -T vantor-hot-key-target -geometry 80x24+0+0 \
    -e bash -c 'stty raw -echo; exec cat >"$1"' bash "$work/xterm.keys" 2>"$work/xterm.err" &
pids+=($!)
xterm_window=$(xdotool search --sync --name '^vantor-hot-key-target$' | head -n1)
xdotool windowfocus --sync "$xterm_window"

# What the xterm sends for each key.
declare -A sequence=([F9]=$'\e[20~' [F10]=$'\e[21~' [F7]=$'\e[18~' [F8]=$'\e[19~')

# round TO_XTERM KEY...: types the keys, lock keys included, then a "-" as a marker, all from one xdotool
# so that they reach the server in this order. The focused client handles its keys in order, so once the
# marker has arrived every earlier key that went to it has too. TO_XTERM is what the xterm should receive
# from the keys.
expected_xterm=
markers=0
round() {
    expected_xterm+="$1-"
    shift
    xdotool key "$@" minus
    markers=$((markers + 1))
    local tries
    for ((tries = 0; tries < 600; tries++)); do
        [ "$(tr -cd - <"$work/xterm.keys" | wc -c)" -ge "$markers" ] && return 0
        sleep 0.05
    done
    fail "the marker typed after $* never reached the xterm"
}
check_xterm() {
    [ "$(cat "$work/xterm.keys")" = "$expected_xterm" ] ||
        fail "the xterm received:$(shown <"$work/xterm.keys"), expected:$(printf %s "$expected_xterm" | shown)"
}

# start_probe NAME ARGS...: runs a probe that reads its commands from a pipe kept open here.
declare -A probe_in probe_pid
start_probe() {
    local name=$1 fd
    shift
    mkfifo "$work/$name.in"
    "$probe" "$@" <"$work/$name.in" >"$work/$name.out" 2>"$work/$name.err" &
    probe_pid[$name]=$!
    pids+=($!)
    exec {fd}>"$work/$name.in"
    probe_in[$name]=$fd
    wait_for "$work/$name.out" '^ready$'
}
send() { echo "$2" >&"${probe_in[$1]}"; }
stop_probe() {
    send "$1" quit
    local status=0
    wait "${probe_pid[$1]}" || status=$?
    [ "$status" -eq 0 ] || fail "probe $1 ended with status $status"
    local fd=${probe_in[$1]}
    exec {fd}>&-
}
# presses NAME: the keys the probe received, each as KEY@STATE.
presses() { sed -n 's/^press \([A-Z0-9]*\) state=\(0x[0-9a-f]*\).*/\1@\2/p' "$work/$1.out" | tr '\n' ' '; }
check_presses() {
    wait_for "$work/$1.out" '^press ' "$(wc -w <<<"$2")"
    [ "$(presses "$1")" = "$2" ] || fail "probe $1 received: $(presses "$1"); expected: $2"
}

# --- Every key in every lock state ---------------------------------------------------------------------
start_probe all
grep -qx 'route X11' "$work/all.out" || fail "the probe did not take the X11 route"
for key in F9 F10 F7 F8; do
    grep -qx "register $key ok" "$work/all.out" || fail "registering $key was refused"
done
# Xvfb's default keymap puts NumLock on Mod2 (0x10); CapsLock is Lock (0x2); ScrollLock is on no modifier.
grep -qx 'locks 0x0 0x2 0x10 0x12' "$work/all.out" || fail "unexpected lock combinations"

# Each round toggles a lock key (none in the first) and types the hot keys in the lock state that follows.
toggles=("" Num_Lock Caps_Lock Num_Lock Caps_Lock)
states=(0x0 0x10 0x12 0x2 0x0)
expected=
for i in "${!toggles[@]}"; do
    # shellcheck disable=SC2086 # no toggle, no key
    round "" ${toggles[i]} F9 F10 F7 F8
    expected+="F9@${states[i]} F10@${states[i]} F7@${states[i]} F8@${states[i]} "
done
check_presses all "$expected"
check_xterm

# --- A key given back goes to the focused client in every lock state; registered again, it comes back --
send all 'unregister F9'
wait_for "$work/all.out" '^unregistered F9$'
round "${sequence[F9]}" F9 F10
round "${sequence[F9]}" Num_Lock F9 Num_Lock
send all 'register F9'
wait_for "$work/all.out" '^register F9 ok$'
round "" F9
expected+="F10@0x0 F9@0x0 "
check_presses all "$expected"
check_xterm

# --- Destroying the service gives every key back -------------------------------------------------------
send all drop
wait_for "$work/all.out" '^dropped$'
round "${sequence[F10]}${sequence[F8]}" F10 F8
check_xterm
latencies=$(sed -n 's/.*latency_us=\([0-9]*\)$/\1/p' "$work/all.out" | sort -n)
stop_probe all

# --- Another client holds F9: refused, the other keys still work, and F9 can be had once it is free ----
start_probe holder --keys F9
grep -qx 'register F9 ok' "$work/holder.out" || fail "the holder could not take F9"
start_probe second
grep -qx 'register F9 refused' "$work/second.out" || fail "F9 held by another client was not refused"
for key in F10 F7 F8; do
    grep -qx "register $key ok" "$work/second.out" || fail "registering $key was refused"
done
round "" F9 F10 F7 F8
check_presses holder "F9@0x0 "
check_presses second "F10@0x0 F7@0x0 F8@0x0 "
check_xterm
stop_probe holder
send second 'register F9'
wait_for "$work/second.out" '^register F9 ok$'
round "" F9
check_presses second "F10@0x0 F7@0x0 F8@0x0 F9@0x0 "
check_xterm
stop_probe second

# --- A client holds F9 only without locks: the refused key keeps none of the grabs it did get -----------
start_probe bare --bare-grab F9
grep -qx 'bare-grab F9 ok' "$work/bare.out" || fail "the bare grab of F9 failed"
start_probe third
grep -qx 'register F9 refused' "$work/third.out" || fail "F9 held without locks was not refused"
# With NumLock on, F9 matches no grab of the other client; kept grabs of ours would swallow it.
round "${sequence[F9]}" Num_Lock F9 F10 Num_Lock
check_presses third "F10@0x10 "
check_xterm
stop_probe third
stop_probe bare

count=$(wc -l <<<"$latencies")
echo "x11 hot keys: every case passed. From the X event reaching the filters to the handler call," \
    "over $count presses: median $(sed -n "$(((count + 1) / 2))p" <<<"$latencies") us," \
    "max $(tail -n1 <<<"$latencies") us"
