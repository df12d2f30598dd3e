#!/usr/bin/env bash
# The short soak: 30 entries with edits mixed in, the program killed at random instants and restarted on
# the same video; after every kill the files are whole and hold everything saved before it. The long one
# is scripts/soak.
set -euo pipefail
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
exec /usr/bin/python3 "$(dirname "$0")/../soak/soak.py" --binary "$VANTOR_BINARY" \
    --video "$VANTOR_TEST_MEDIA/clip.mp4" --entries 30 --kill-rate 0.15 --edit-rate 0.15 \
    --seed "${VANTOR_SOAK_SEED:-7}"
