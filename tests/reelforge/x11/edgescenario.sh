#!/usr/bin/env bash
# Where a dialog ends on the screen, with and without a compositing manager:
# under openbox alone the output settings dialog draws a one-pixel border
# in the frame colour at its edge; with xcompmgr running it draws none and
# leaves the edge to its shadow.
#   edgescenario.sh REELGALLERY
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
SCENARIO_DIR=$(dirname "$SCENARIO_SCRIPT")
source "$SCENARIO_DIR/../../kelkit/x11/x11lib.sh"
PYTHON=python3
[ -x /usr/bin/python3 ] && PYTHON=/usr/bin/python3

# The screen's pixels, as Xvfb keeps them in a file.
if [ -z "${X11_SCENARIO_INNER:-}" ]; then
    X11_FB_DIR=$(mktemp -d)
    export X11_FB_DIR
    export X11_EXTRA_SERVER_ARGS="-fbdir $X11_FB_DIR"
fi

# "R G B" of a screen pixel.
pixel() {
    "$PYTHON" - "$SCENARIO_DIR" "$X11_FB_DIR/Xvfb_screen0" "$1" "$2" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
import framebuffer
x, y = int(sys.argv[3]), int(sys.argv[4])
print(*next(framebuffer.rgb_rows(framebuffer.load(sys.argv[2]), x, y, 1, 1))[0])
PY
}

# Whether the compositing manager's selection has an owner.
compositor_running() {
    "$PYTHON" - <<'PY'
import ctypes, os, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XGetSelectionOwner.restype = ctypes.c_ulong
x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
display = x11.XOpenDisplay(None)
atom = x11.XInternAtom(display, b"_NET_WM_CM_S0", 0)
sys.exit(0 if x11.XGetSelectionOwner(display, atom) else 1)
PY
}

# The brightness (sum of R, G and B) of the dialog's first column at half
# its height, and of a column a few pixels inside.
edge_and_inside() {
    local x y w h
    read -r x y w h <<<"$(geometry "$DIALOG")"
    local edge inside
    edge=$(pixel "$x" $((y + h / 2)) | awk '{ print $1 + $2 + $3 }')
    inside=$(pixel $((x + 4)) $((y + h / 2)) | awk '{ print $1 + $2 + $3 }')
    echo "$edge $inside"
}

# The edge is darker than the white inside by a visible step.
edge_drawn() {
    local edge inside
    read -r edge inside <<<"$(edge_and_inside)"
    [ "$inside" -gt 720 ] && [ $((inside - edge)) -gt 60 ]
}

edge_plain() {
    local edge inside
    read -r edge inside <<<"$(edge_and_inside)"
    [ "$inside" -gt 720 ] && [ $((inside - edge)) -lt 15 ]
}

# The dialog's own window, found by its title: with a compositor its shadow
# is a wider window of the program, and may be mapped first.
dialog_window() {
    xdotool search --all --onlyvisible --pid "$DEMO_PID" --name "^Output video file settings" \
        2>/dev/null | head -n1 || true
}

dialog_shown() {
    [ -n "$(dialog_window)" ]
}

open_dialog() {
    start_demo --show codec "$CLIP"
    wait_until "the dialog's window" dialog_shown
    DIALOG=$(dialog_window)
}

close_dialog() {
    kill "$DEMO_PID"
    wait "$DEMO_PID" 2>/dev/null || true
    DEMO_PID=
}

scenario() {
    CLIP=$WORK_DIR/clip.mp4
    ffmpeg -loglevel error -f lavfi -i testsrc2=size=320x240:rate=25:duration=1 \
        -pix_fmt yuv420p "$CLIP" || fail "ffmpeg could not make the clip"

    step "1. without a compositing manager the dialog draws its border"
    compositor_running && fail "a compositing manager runs already"
    open_dialog
    wait_until "a border at the dialog's edge" edge_drawn
    close_dialog

    step "2. with xcompmgr it draws none"
    xcompmgr >"$WORK_DIR/xcompmgr.log" 2>&1 &
    COMPOSITOR_PID=$!
    wait_until "the compositing manager" compositor_running
    open_dialog
    wait_until "a plain edge" edge_plain
    close_dialog
    kill "$COMPOSITOR_PID"
    wait "$COMPOSITOR_PID" 2>/dev/null || true
}

require_tools ffmpeg xcompmgr
run_scenario scenario
