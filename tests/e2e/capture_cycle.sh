#!/usr/bin/env bash
# Three entries made with the global keys while another program is in front, the text typed into Vantor:
# both files then hold three numbered entries whose times rise, starting at 00:00:00,001, each next entry
# starting where the loop last wrapped.
source "$(dirname "$0")/lib.bash"

start_x
cp "$VANTOR_TEST_MEDIA/clip.mp4" "$e2e_work/clip.mp4"
start_xterm
start_vantor "$e2e_work/clip.mp4"
sleep 1

lines=("first line" "second, with comma" "third")
first=1
for text in "${lines[@]}"; do
    xdotool windowfocus "$xterm_window"
    # F9 starts the first line only; every later line starts where the loop last wrapped.
    [ $first = 1 ] && xdotool key F9
    first=0
    sleep 0.8
    xdotool key F10
    # Let the segment loop wrap at least once.
    sleep 1.2
    xdotool windowfocus "$vantor_window"
    xdotool type --delay 20 "$text"
    xdotool key Return
    sleep 0.3
done

python3 - "$e2e_work/clip.srt" "$e2e_work/NoFormatclip.srt" "${lines[@]}" <<'PY'
import re, sys
formatted_path, plain_path, *texts = sys.argv[1:]
def seconds(code):
    h, m, rest = code.split(":")
    s, ms = rest.split(",")
    return int(h) * 3600 + int(m) * 60 + int(s) + int(ms) / 1000
def entries(path, encoding):
    raw = open(path, "rb").read()
    assert raw.endswith(b"\r\n\r\n"), f"{path} does not end with an entry"
    lines = raw.decode(encoding).split("\r\n")[:-1]
    assert len(lines) % 4 == 0, f"{path}: {len(lines)} lines"
    return [lines[i:i + 4] for i in range(0, len(lines), 4)]
plain = entries(plain_path, "gbk")
formatted = entries(formatted_path, "gbk")
assert len(plain) == 3 and len(formatted) == 3, (plain, formatted)
previous_end = None
for number, (p, f, text) in enumerate(zip(plain, formatted, texts), start=1):
    assert p[0] == f[0] == str(number), (p, f)
    assert p[1] == f[1], (p, f)
    start, end = p[1].split(" --> ")
    assert p[2] == text, (p[2], text)
    assert f[2] == "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>" + text + "</b>", f[2]
    assert p[3] == f[3] == ""
    if previous_end is None:
        assert start == "00:00:00,001", start
    else:
        gap = seconds(start) - previous_end
        # The next entry starts at the last loop wrap: just past the previous end, by about a timer tick,
        # which the millisecond time code may round to the end itself. The bound leaves room for a busy
        # machine; CaptureTimingBench measures the real gap.
        assert 0 <= gap <= 0.060, f"entry {number} starts {gap:.3f} s after the previous end"
    assert seconds(end) > seconds(start), p[1]
    previous_end = seconds(end)
print("capture cycle: 3 entries, times rise, each start follows the previous wrap")
PY

# Two SRT readers nobody here wrote read the same entries: Debian's python3-srt and FFmpeg's demuxer.
/usr/bin/python3 - "$e2e_work/clip.srt" "$e2e_work/NoFormatclip.srt" <<'PY'
import sys, srt
for path in sys.argv[1:]:
    ours = open(path, "rb").read().decode("gbk")
    subs = list(srt.parse(ours))
    assert len(subs) == 3, (path, len(subs))
    blocks = [b.split("\r\n") for b in ours.strip("\r\n").split("\r\n\r\n")]
    for sub, block in zip(subs, blocks):
        assert sub.index == int(block[0])
        start, end = block[1].split(" --> ")
        assert srt.timedelta_to_srt_timestamp(sub.start) == start, (sub.start, start)
        assert srt.timedelta_to_srt_timestamp(sub.end) == end, (sub.end, end)
        assert sub.content == block[2], (sub.content, block[2])
print("python3-srt: 3 entries with the same times and text in both files")
PY
for file in clip.srt NoFormatclip.srt; do
    count=$(ffmpeg -nostdin -loglevel error -sub_charenc GBK -i "$e2e_work/$file" -f srt - | grep -c -- ' --> ')
    [ "$count" = 3 ] || fail "ffmpeg read $count entries from $file"
    # FFmpeg writes the times back in the same form: compare the time lines.
    diff <(ffmpeg -nostdin -loglevel error -sub_charenc GBK -i "$e2e_work/$file" -f srt - | grep -- ' --> ') \
        <(tr -d '\r' <"$e2e_work/$file" | grep -- ' --> ') || fail "ffmpeg read other times from $file"
done
echo "ffmpeg: 3 entries with the same times in both files"
