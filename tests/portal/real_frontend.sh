#!/usr/bin/env bash
# The portal route through Debian's own xdg-desktop-portal frontend (1.16), with a fake GlobalShortcuts
# backend that the frontend finds through a .portal file in a private folder (1.16 reads
# XDG_DESKTOP_PORTAL_DIR, not XDG_DATA_DIRS): the probe binds the four keys through the real frontend, learns
# from the list the frontend passes on that the user left F8 without a key, an Activated of the backend
# reaches it as a press, and its session is closed in the backend when it lets the keys go. The frontend has no host registry: the probe must do without it, and the backend sees
# the empty application id that 1.16 gives every unsandboxed program.
# Needs VANTOR_PORTAL_PROBE, dbus-daemon, python3-dbus and xdg-desktop-portal.
source "$(dirname "$0")/portal_lib.bash"

probe=${VANTOR_PORTAL_PROBE:?VANTOR_PORTAL_PROBE must name the portal_hot_key_probe program}
frontend=/usr/libexec/xdg-desktop-portal
[ -x "$frontend" ] || fail "$frontend is missing (package xdg-desktop-portal)"
unset WAYLAND_DISPLAY DISPLAY
export XDG_SESSION_TYPE=wayland

backend_name=org.freedesktop.impl.portal.desktop.vantortest
mkdir "$work/portals"
printf '[portal]\nDBusName=%s\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts\nUseIn=vantortest\n' \
    "$backend_name" >"$work/portals/vantortest.portal"

start_bus
mkfifo "$work/backend.in"
/usr/bin/python3 "$portal_tests/fake_portal_backend.py" --log "$work/backend.log" --name "$backend_name" \
    --refuse RvoHotKeyF8 \
    <"$work/backend.in" >"$work/backend.err" 2>&1 &
pids+=($!)
exec {backend_in}>"$work/backend.in"
wait_for "$work/backend.log" '^ready '

XDG_CURRENT_DESKTOP=vantortest XDG_DESKTOP_PORTAL_DIR="$work/portals" "$frontend" --verbose \
    >"$work/frontend.err" 2>&1 &
pids+=($!)
wait_for "$work/frontend.err" 'org.freedesktop.portal.Desktop acquired'
grep -q 'providing portal org.freedesktop.portal.GlobalShortcuts' "$work/frontend.err" ||
    fail "the frontend did not take the fake backend"

mkfifo "$work/probe.in"
"$probe" <"$work/probe.in" >"$work/probe.out" 2>"$work/probe.err" &
probe_pid=$!
pids+=($probe_pid)
exec {probe_in}>"$work/probe.in"
wait_for "$work/probe.out" '^ready$'
grep -qx 'route portal' "$work/probe.out" || fail "the probe did not take the portal route"
wait_for "$work/probe.out" '^answer '
grep -qx 'answer refused F8' "$work/probe.out" || fail "the frontend's answer: $(grep '^answer' "$work/probe.out")"

expected="CreateSession app_id=
shortcut RvoHotKeyLeft F9 标记本句起始时间并播放
shortcut RvoHotKeyRight F10 标记本句终止时间并循环播放本句
shortcut RvoHotKeyF7 F7 修改已做好的字幕
shortcut RvoHotKeyF8 F8 继续制作字幕"
got=$(sed -n '/^CreateSession/,/^shortcut RvoHotKeyF8/p' "$work/backend.log")
[ "$got" = "$expected" ] || fail "the backend was asked [$got], expected [$expected]"

echo "activate RvoHotKeyF8" >&"$backend_in" # refused: not passed on
echo "activate RvoHotKeyF7" >&"$backend_in"
echo "activate RvoHotKeyRight" >&"$backend_in"
wait_for "$work/probe.out" '^press F10$'
[ "$(sed -n 's/^press //p' "$work/probe.out" | tr '\n' ' ')" = "F7 F10 " ] ||
    fail "presses through the frontend: $(grep '^press' "$work/probe.out")"

echo quit >&"$probe_in"
wait "$probe_pid" || fail "the probe ended with status $?"
wait_for "$work/backend.log" '^Close /org/freedesktop/portal/desktop/session/'
echo "real frontend: bound, pressed and closed through xdg-desktop-portal $(dpkg-query -W -f '${Version}' xdg-desktop-portal)"
