#!/usr/bin/env bash
# The capture cycle with every hot key coming from the desktop portal: Vantor runs in a Wayland session
# (on X through XWayland, here Xvfb), takes the portal route, and F9, F10, F7 and F8 arrive only as the fake
# portal's Activated signals while another program is in front; the text is typed into Vantor. Both files
# then hold the three entries, the second one edited in edit mode (F7) before capturing went on (F8).
source "$VANTOR_SOURCE_DIR/tests/e2e/lib.bash"
source "$VANTOR_SOURCE_DIR/tests/portal/portal_lib.bash"
# Qt on X, as under XWayland; Qt would try its wayland platform first in a Wayland session.
export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=xcb

start_x
start_bus
start_fake portal
cp "$VANTOR_TEST_MEDIA/clip.mp4" "$e2e_work/clip.mp4"
start_xterm
start_vantor "$e2e_work/clip.mp4"
wait_for "$e2e_work/vantor.log" '^vantor: desktop portal: granted F9 F10 F7 F8; refused none'
sleep 1

# press ID: the desktop reports the shortcut while the xterm is in front.
press() {
    xdotool windowfocus --sync "$xterm_window"
    tell_fake portal "activate $1"
    wait_for "$work/portal.log" "^activated $1\$" $((++activations[$1]))
}
declare -A activations=([RvoHotKeyLeft]=0 [RvoHotKeyRight]=0 [RvoHotKeyF7]=0 [RvoHotKeyF8]=0)
type_into_vantor() {
    xdotool windowfocus --sync "$vantor_window"
    xdotool "$@"
}
# plain_texts: the text lines of the plain file, one per entry.
plain_texts() { tr -d '\r' <"$e2e_work/NoFormatclip.srt" 2>/dev/null | awk 'NR % 4 == 3' | tr '\n' '|'; }
wait_texts() {
    local tries
    for ((tries = 0; tries < 300; tries++)); do
        [ "$(plain_texts)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the plain file holds [$(plain_texts)], expected [$1]"
}

# F9 starts the first line, F10 ends it; the next line starts where the loop last wrapped.
press RvoHotKeyLeft
sleep 0.8
press RvoHotKeyRight
sleep 1.2
type_into_vantor type --delay 20 "first line"
type_into_vantor key Return
wait_texts "first line|"
sleep 0.8
press RvoHotKeyRight
sleep 1.2
type_into_vantor type --delay 20 "second"
type_into_vantor key Return
wait_texts "first line|second|"

# F7: edit mode; the caret starts on the empty line after the last entry, one line up is its text.
press RvoHotKeyF7
sleep 0.3
type_into_vantor key ctrl+End Up End
type_into_vantor type --delay 20 "X"
wait_texts "first line|secondX|"

# F8: capturing again; F9 plays, F10 ends the third line.
press RvoHotKeyF8
sleep 0.3
press RvoHotKeyLeft
sleep 0.8
press RvoHotKeyRight
sleep 1.2
type_into_vantor type --delay 20 "third"
type_into_vantor key Return
wait_texts "first line|secondX|third|"

/usr/bin/python3 - "$e2e_work/clip.srt" "$e2e_work/NoFormatclip.srt" <<'PY'
import sys, srt
formatted, plain = (list(srt.parse(open(p, "rb").read().decode("gbk"))) for p in sys.argv[1:])
assert [s.content for s in plain] == ["first line", "secondX", "third"], plain
assert [s.content for s in formatted] == [
    "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>" + t + "</b>" for t in ("first line", "secondX", "third")
], formatted
for p, f in zip(plain, formatted):
    assert (p.index, p.start, p.end) == (f.index, f.start, f.end), (p, f)
    assert p.end > p.start, p
for earlier, later in zip(plain, plain[1:]):
    assert later.start >= earlier.end, (earlier, later)
print("portal capture cycle: 3 entries, the second edited, times rise")
PY
check_fakes_clean
grep -q 'held by another program' "$e2e_work/vantor.log" && fail "a key was reported as held elsewhere"
echo "portal capture cycle: every key came through the portal"
