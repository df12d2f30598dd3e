#!/usr/bin/env bash
# Vantor as a native Wayland client under a headless Weston: the window appears and the video's picture shows
# in Panel2, with libmpv's software renderer and with OpenGL (Mesa's llvmpipe over EGL), on an output of
# scale 1 and on one of scale 2, where the whole window must show at twice the pixels (not cut to a quarter).
# Each case takes Weston screenshots until the window and the picture are there (60 s at most: the machine
# may be busy). The sharpness of the software picture at scale 2 is tested by
# player_software_picture_at_scale_2.
source "$(dirname "$0")/lib.bash"

export XDG_RUNTIME_DIR=$e2e_work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR" "$e2e_work/shots" "$e2e_work/config"
# start_weston SCALE: a compositor whose output is 1280 x 1024 logical pixels (the headless backend takes the
# size in logical pixels: 2560 x 2048 device pixels at scale 2); sets socket and weston_pid.
start_weston() {
    local scale=$1
    socket=vantor-$$-$scale
    # --debug lets weston-screenshooter take pictures; pixman needs no GPU.
    weston --backend=headless-backend.so --socket="$socket" --width=1280 --height=1024 --scale="$scale" \
        --use-pixman --debug --idle-time=0 \
        >"$e2e_work/weston-$scale.log" 2>&1 </dev/null &
    weston_pid=$!
    e2e_pids+=($weston_pid)
    for _ in $(seq 100); do
        [ -S "$XDG_RUNTIME_DIR/$socket" ] && return 0
        sleep 0.1
    done
    fail "weston did not start: $(cat "$e2e_work/weston-$scale.log")"
}
cp "$VANTOR_TEST_MEDIA/clip.mp4" "$e2e_work/clip.mp4"

# measure SHOT: "WINDOW PICTURE": pixels of the window's background (239,239,239) and strongly coloured
# pixels (the test pattern's bars; the desktop and the window's controls have almost none).
measure() {
    # Counted per distinct colour: a 2560 x 2048 screenshot has 5 million pixels but few colours.
    convert "$1" -depth 8 rgba:- | /usr/bin/python3 -c '
import collections, sys
data = sys.stdin.buffer.read()
colours = collections.Counter(memoryview(data).cast("I"))
window = picture = 0
for colour, count in colours.items():
    r, g, b = colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF
    if r == g == b == 239:
        window += count
    elif max(r, g, b) - min(r, g, b) >= 180:
        picture += count
print(window, picture)'
}

for scale in 1 2; do
    start_weston "$scale"
    for renderer in sw gl; do
        WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland VANTOR_VIDEO_OUTPUT=$renderer VANTOR_AO=null \
            XDG_CONFIG_HOME="$e2e_work/config" "$VANTOR_BINARY" "$e2e_work/clip.mp4" \
            >"$e2e_work/vantor-$renderer-$scale.log" 2>&1 &
        pid=$!
        e2e_pids+=($pid)
        # The window is 728 x 504 logical pixels (367,000, most of them background); the picture fills most
        # of Panel2's 355 x 310, and a white or black panel has no coloured pixels. Both grow with the
        # square of the scale.
        area=$((scale * scale))
        seen="no screenshot"
        shown=0
        for _ in $(seq 60); do
            sleep 1
            rm -f "$e2e_work/shots"/*.png
            (cd "$e2e_work/shots" && WAYLAND_DISPLAY=$socket weston-screenshooter >/dev/null 2>&1) || continue
            shot=$(ls "$e2e_work/shots"/*.png 2>/dev/null | head -n1)
            [ -n "$shot" ] || continue
            read -r window picture < <(measure "$shot")
            seen="$window window pixels, $picture picture pixels"
            if [ "$window" -ge $((150000 * area)) ] && [ "$picture" -ge $((40000 * area)) ]; then
                shown=1
                break
            fi
        done
        log=$(cat "$e2e_work/vantor-$renderer-$scale.log")
        kill -0 "$pid" 2>/dev/null || fail "$renderer at scale $scale: Vantor ended: $log"
        [ $shown = 1 ] || fail "$renderer at scale $scale: the window or the picture did not show ($seen): $log"
        echo "wayland $renderer at scale $scale: $seen"
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    done
    kill "$weston_pid"
    wait "$weston_pid" 2>/dev/null || true
done
echo "wayland window: the window and the picture showed with both renderers at scales 1 and 2"
