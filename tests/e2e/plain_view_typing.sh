#!/usr/bin/env bash
# Typing "." and the other keys whose Qt numbers collide with the key rules' codes (Delete is 46, Qt's ".")
# into the plain view of the real window, through the X server as a user's keyboard does: at the end of a
# line, in a line of one byte and in one of two bytes. Both files must carry every character.
source "$(dirname "$0")/lib.bash"

start_x
cp "$VANTOR_TEST_MEDIA/clip.mp4" "$e2e_work/clip.mp4"
block='{\fn'$'\xBA\xDA\xCC\xE5''\fs18\bord0\shad3\3c&HFFFFFF&}<b>'
{
    printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n%sHello</b>\r\n\r\n' "$block"
    printf '2\r\n00:00:03,000 --> 00:00:04,000\r\n%sa</b>\r\n\r\n' "$block"
    printf '3\r\n00:00:05,000 --> 00:00:06,000\r\n%sab</b>\r\n\r\n' "$block"
} >"$e2e_work/clip.srt"
start_vantor "$e2e_work/clip.mp4"

# The question about the existing file: Yes is its default button.
box=""
for _ in $(seq 100); do
    box=$(xdotool search --name '^SRT外挂字幕制作$' 2>/dev/null | head -n 1 || true)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "the question about the existing file did not appear"
xdotool windowfocus --sync "$box" key Return
sleep 0.5
# The main window by its whole title: the question box's title is a part of it.
main_window=$(xdotool search --name '^SRT外挂字幕制作\(免费\)$' | head -n 1)
[ -n "$main_window" ] || fail "no main window after the question"
xdotool windowfocus --sync "$main_window"
sleep 0.2

# The caret starts on the empty last line. Line 3 (index 2) is entry 1's text, 7 entry 2's, 11 entry 3's.
goto_line_end() {
    xdotool key ctrl+Home
    for _ in $(seq "$1"); do xdotool key Down; done
    xdotool key End
}
goto_line_end 2
xdotool type --delay 30 '.(%$#&!'
goto_line_end 6
xdotool type --delay 30 '.'
goto_line_end 10
xdotool key Left
xdotool type --delay 30 '.'
sleep 0.5

python3 - "$e2e_work/clip.srt" "$e2e_work/NoFormatclip.srt" <<'PY'
import sys
formatted, plain = (open(p, "rb").read().decode("gbk").split("\r\n") for p in sys.argv[1:])
expected = ["Hello.(%$#&!", "a.", "a.b"]
block = "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>"
for entry, text in enumerate(expected):
    assert plain[entry * 4 + 2] == text, (entry, plain[entry * 4 + 2], text)
    assert formatted[entry * 4 + 2] == block + text + "</b>", (entry, formatted[entry * 4 + 2], text)
print("plain view typing: '.', '(', '%', '$', '#', '&', '!' reached both files at a line's end and in short lines")
PY
