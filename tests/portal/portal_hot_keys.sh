#!/usr/bin/env bash
# The portal route against a fake portal on a private session bus: the program registers as its desktop
# file, binds F9, F10, F7 and F8 in one session with their Chinese descriptions, receives Activated as key
# presses, and closes the session when it lets the keys go. The desktop's answers (cancelled, failed, some
# keys only, no list, keys changed later, session closed by the desktop), a portal without the host registry
# that sends the session handle as a string, a missing portal and a portal that restarts.
# Needs VANTOR_PORTAL_PROBE (the portal_hot_key_probe program), dbus-daemon and python3-dbus.
source "$(dirname "$0")/portal_lib.bash"

probe=${VANTOR_PORTAL_PROBE:?VANTOR_PORTAL_PROBE must name the portal_hot_key_probe program}
unset WAYLAND_DISPLAY DISPLAY
export XDG_SESSION_TYPE=wayland

# start_probe NAME: the probe, reading commands from a pipe kept open here.
declare -A probe_in probe_pid
start_probe() {
    local name=$1 fd
    mkfifo "$work/$name.probe.in"
    "$probe" <"$work/$name.probe.in" >"$work/$name.out" 2>"$work/$name.probe.err" &
    probe_pid[$name]=$!
    pids+=($!)
    exec {fd}>"$work/$name.probe.in"
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
# expect_answers NAME ANSWER...: the probe's answer lines so far, in order.
expect_answers() {
    local name=$1
    shift
    wait_for "$work/$name.out" '^answer ' $#
    local expected got
    expected=$(printf '%s\n' "$@")
    got=$(sed -n 's/^answer refused //p' "$work/$name.out")
    [ "$got" = "$expected" ] || fail "probe $name answered [$got], expected [$expected]"
}
# activate FAKE PROBE ID... then a marker: only the marker's press is awaited; earlier presses come first.
presses() { sed -n 's/^press //p' "$work/$1.out" | tr '\n' ' '; }

expected_bind="BindShortcuts parent_window=
shortcut RvoHotKeyLeft F9 标记本句起始时间并播放
shortcut RvoHotKeyRight F10 标记本句终止时间并循环播放本句
shortcut RvoHotKeyF7 F7 修改已做好的字幕
shortcut RvoHotKeyF8 F8 继续制作字幕"
bind_lines() { sed -n '/^BindShortcuts/,/^shortcut RvoHotKeyF8/p' "$work/$1.log"; }

start_bus

# --- Granted: one session, one bind of the four keys, Activated arrives as presses, Close at the end ----
start_fake grant
start_probe grant
grep -qx 'route portal' "$work/grant.out" || fail "the probe did not take the portal route"
grep -qx 'pending 1' "$work/grant.out" || fail "the answer was not pending after registering"
expect_answers grant none
[ "$(sed -n '2p' "$work/grant.log")" = "Register io.github.vantor.Vantor" ] ||
    fail "the first call was not Register with the desktop file's id"
[ "$(grep -c '^CreateSession' "$work/grant.log")" = 1 ] || fail "not exactly one session"
[ "$(bind_lines grant)" = "$expected_bind" ] || fail "bound [$(bind_lines grant)], expected [$expected_bind]"
for id in RvoHotKeyLeft RvoHotKeyRight RvoHotKeyF7 RvoHotKeyF8; do
    tell_fake grant "activate $id"
done
wait_for "$work/grant.out" '^press ' 4
[ "$(presses grant)" = "F9 F10 F7 F8 " ] || fail "presses: $(presses grant)"
# A key given back no longer arrives; the last one given back closes the session.
send grant 'unregister F9'
wait_for "$work/grant.out" '^unregistered F9$'
tell_fake grant "activate RvoHotKeyLeft"
tell_fake grant "activate RvoHotKeyF8"
wait_for "$work/grant.out" '^press ' 5
[ "$(presses grant)" = "F9 F10 F7 F8 F8 " ] || fail "a key given back still arrived: $(presses grant)"
for key in F10 F7 F8; do send grant "unregister $key"; done
wait_for "$work/grant.out" '^unregistered F8$'
session=$(sed -n 's/^CreateSession .*session_handle_token=\(.*\)$/\1/p' "$work/grant.log")
wait_for "$work/grant.log" "^Close /org/freedesktop/portal/desktop/session/.*/$session\$"
stop_probe grant
stop_fake grant

# --- The desktop's answers --------------------------------------------------------------------------------
# name | fake options | expected answer line
answers=(
    "cancelled|--answer cancel|F9 F10 F7 F8"
    "failed|--answer fail|F9 F10 F7 F8"
    "some|--answer RvoHotKeyLeft,RvoHotKeyRight --list-refused|F7 F8"
    "nolist|--answer no-list|none"
    "old|--no-registry --session-handle-type s|none"
)
for row in "${answers[@]}"; do
    IFS='|' read -r name options expected <<<"$row"
    # shellcheck disable=SC2086 # the options are words
    start_fake "$name" $options
    start_probe "$name"
    expect_answers "$name" "$expected"
    [ "$(bind_lines "$name")" = "$expected_bind" ] || fail "$name: bound [$(bind_lines "$name")]"
    # Only granted keys arrive through the portal; the marker F8 or F9 comes last.
    case $expected in
    none) marker=F8 ;;
    *) marker=F9 ;;
    esac
    if [ "$expected" = "F9 F10 F7 F8" ]; then
        # Nothing granted: the session has no keys, and the portal has nothing to send.
        grep -q '^press' "$work/$name.out" && fail "$name: a press arrived from a refused session"
    else
        tell_fake "$name" "activate RvoHotKeyF7"
        tell_fake "$name" "activate $([ $marker = F8 ] && echo RvoHotKeyF8 || echo RvoHotKeyLeft)"
        wait_for "$work/$name.out" "^press $marker\$"
        want=$([ "$expected" = none ] && echo "F7 F8 " || echo "F9 ")
        [ "$(presses "$name")" = "$want" ] || fail "$name: presses $(presses "$name"), expected $want"
    fi
    stop_probe "$name"
    stop_fake "$name"
done

# --- Keys changed in the desktop's settings, and a session the desktop closes ------------------------------
start_fake later
start_probe later
expect_answers later none
tell_fake later "changed RvoHotKeyLeft"
expect_answers later none "F10 F7 F8"
tell_fake later "activate RvoHotKeyRight"
tell_fake later "activate RvoHotKeyLeft"
wait_for "$work/later.out" '^press F9$'
[ "$(presses later)" = "F9 " ] || fail "a key taken away in the settings still arrived: $(presses later)"
tell_fake later close-session
expect_answers later none "F10 F7 F8" "F9 F10 F7 F8"
stop_probe later
grep -q '^Close' "$work/later.log" && fail "the program closed a session the desktop had closed"
stop_fake later

# --- The portal restarts: keys fall back to the window, then are bound again in a new session ------------
start_fake first
start_probe restart
expect_answers restart none
stop_fake first
expect_answers restart none "F9 F10 F7 F8"
start_fake second
expect_answers restart none "F9 F10 F7 F8" none
[ "$(sed -n '2p' "$work/second.log")" = "Register io.github.vantor.Vantor" ] ||
    fail "the program did not register again with the new portal"
[ "$(bind_lines second)" = "$expected_bind" ] || fail "bound again [$(bind_lines second)]"
tell_fake second "activate RvoHotKeyF10" # not an id of ours: ignored
tell_fake second "activate RvoHotKeyRight"
wait_for "$work/restart.out" '^press F10$'
[ "$(presses restart)" = "F10 " ] || fail "presses after the restart: $(presses restart)"
# The service dies with the session open: it closes it.
send restart drop
wait_for "$work/restart.out" '^dropped$'
wait_for "$work/second.log" '^Close '
stop_probe restart
stop_fake second

# --- No portal on the bus: the keys work inside the program --------------------------------------------
start_probe missing
grep -qx 'route application' "$work/missing.out" || fail "without a portal the route was $(head -n1 "$work/missing.out")"
grep -qx 'pending 0' "$work/missing.out" || fail "an answer was pending without a portal"
stop_probe missing

# --- Not a Wayland session: the portal is not asked, even when it is there -------------------------------
start_fake unasked
XDG_SESSION_TYPE=x11 start_probe x11session
grep -qx 'route application' "$work/x11session.out" || fail "outside Wayland the route was $(head -n1 "$work/x11session.out")"
stop_probe x11session
[ "$(wc -l <"$work/unasked.log")" = 1 ] || fail "the portal was called outside a Wayland session"
stop_fake unasked

check_fakes_clean
echo "portal hot keys: every case passed"
