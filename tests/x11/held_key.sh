#!/usr/bin/env bash
# Another program already holds F9 when Vantor starts: Vantor says so, F9 goes to that program, and the
# other keys still reach Vantor (an entry is made with F10 and Enter).
source "$VANTOR_SOURCE_DIR/tests/e2e/lib.bash"

start_x
cp "$VANTOR_TEST_MEDIA/clip.mp4" "$e2e_work/clip.mp4"
start_xterm
mkfifo "$e2e_work/probe.in"
"$VANTOR_X11_PROBE" --keys F9 <"$e2e_work/probe.in" >"$e2e_work/probe.out" 2>&1 &
e2e_pids+=($!)
exec 3>"$e2e_work/probe.in"
for _ in $(seq 100); do grep -q '^ready' "$e2e_work/probe.out" && break; sleep 0.1; done
grep -q 'register F9 ok' "$e2e_work/probe.out" || fail "the holder did not get F9: $(cat "$e2e_work/probe.out")"

start_vantor "$e2e_work/clip.mp4"
sleep 1
grep -q 'F9 is held by another program' "$e2e_work/vantor.log" || fail "Vantor did not say that F9 is taken"

xdotool windowfocus "$xterm_window"
xdotool key F9
# Start playback with the mouse, as the user would without F9: click StartTimeButton (419+68, 76+19).
eval "$(xdotool getwindowgeometry --shell "$vantor_window")"
xdotool mousemove --window "$vantor_window" 487 95 click 1
sleep 1.5
xdotool windowfocus "$xterm_window"
xdotool key F10
sleep 0.5
xdotool windowfocus "$vantor_window"
xdotool type --delay 20 "held"
xdotool key Return
sleep 0.5
grep -q '^press F9' "$e2e_work/probe.out" || fail "F9 did not reach the program holding it"
grep -q 'held' "$e2e_work/NoFormatclip.srt" 2>/dev/null || fail "F10 and Enter made no entry: $(ls "$e2e_work")"
head -n 2 "$e2e_work/NoFormatclip.srt" | tail -n 1 | grep -q '^00:00:00,001 --> 00:00:0[1-3],' \
    || fail "unexpected time line: $(head -n 2 "$e2e_work/NoFormatclip.srt")"
echo "held key: Vantor reported F9 as taken, F10 and Enter still made the entry"
