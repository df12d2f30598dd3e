#!/usr/bin/env bash
# The user declines the keys in the desktop's dialog: Vantor says so; F9 typed into another program does not
# reach it, and F9, F10 and Enter still make an entry while Vantor is in front (its in-window keys stand in).
source "$VANTOR_SOURCE_DIR/tests/e2e/lib.bash"
source "$VANTOR_SOURCE_DIR/tests/portal/portal_lib.bash"
# Qt on X, as under XWayland; Qt would try its wayland platform first in a Wayland session.
export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=xcb

start_x
start_bus
start_fake portal --answer cancel
cp "$VANTOR_TEST_MEDIA/clip.mp4" "$e2e_work/clip.mp4"
start_xterm
start_vantor "$e2e_work/clip.mp4"
wait_for "$e2e_work/vantor.log" '^vantor: desktop portal: granted none; refused F9 F10 F7 F8 \(the user declined'
sleep 1

# F9 into the xterm: Vantor has no global key, so nothing plays; F10 in Vantor then ends a line that never
# started, at 0.
xdotool windowfocus --sync "$xterm_window"
xdotool key F9
sleep 0.8
xdotool windowfocus --sync "$vantor_window"
xdotool key F10
xdotool type --delay 20 "xterm"
xdotool key Return

# In front, the in-window keys work: F9 plays, F10 ends the line.
xdotool key F9
sleep 0.8
xdotool key F10
sleep 1.2
xdotool type --delay 20 "in front"
xdotool key Return
entries() { tr -d '\r' <"$e2e_work/NoFormatclip.srt" 2>/dev/null | awk 'NR % 4 == 2 || NR % 4 == 3' | tr '\n' '|'; }
for _ in $(seq 100); do
    [[ "$(entries)" == *"|in front|" ]] && break
    sleep 0.1
done
/usr/bin/python3 - "$e2e_work/NoFormatclip.srt" <<'PY' || fail "entries: $(entries)"
import sys, srt, datetime
subs = list(srt.parse(open(sys.argv[1], "rb").read().decode("gbk")))
assert [s.content for s in subs] == ["xterm", "in front"], subs
assert subs[0].end == datetime.timedelta(0), f"F9 typed into the xterm played the video: {subs[0]}"
assert subs[1].end - subs[1].start >= datetime.timedelta(seconds=0.5), subs[1]
PY
check_fakes_clean
echo "portal declined: the keys worked in front of Vantor only"
