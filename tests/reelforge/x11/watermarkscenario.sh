#!/usr/bin/env bash
# The watermark dialog under a real window manager: a text watermark is
# typed, its box dragged and turned with the mouse, and Save hands the item
# a watermark with that text, turned by about 30 degrees, its centre moved
# right and down.
#   watermarkscenario.sh REELGALLERY
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
SCENARIO_DIR=$(dirname "$SCENARIO_SCRIPT")
source "$SCENARIO_DIR/../../kelkit/x11/x11lib.sh"

# "X Y" of a point the dialog printed last.
point() {
    grep "^$1 " "$DEMO_LOG" | tail -n1 | cut -d' ' -f2,3
}

# The value of a state line; they follow the points.
state() {
    grep "^$1 " "$DEMO_LOG" | tail -n1 | cut -d' ' -f2-
}

has_point() {
    [ -n "$(point "$1")" ] && [ "$(point "$1")" != "-1 -1" ]
}

# Presses at the first point, moves there in steps with the button held and
# releases at the last.
drag() {
    xdotool mousemove "$1" "$2" mousedown 1
    shift 2
    while [ $# -gt 0 ]; do
        xdotool mousemove "$1" "$2"
        shift 2
    done
    xdotool mouseup 1
}

# Moves the window by a few pixels and waits for the points printed after
# the move (the count-th "ready").
nudge_window() {
    local x y w h
    read -r x y w h <<<"$(geometry "$1")"
    xdotool windowmove "$1" $((x + 8)) $((y + 8))
    wait_for_line "ready" "$2"
}

scenario() {
    local clip=$WORK_DIR/clip.mp4
    ffmpeg -loglevel error -f lavfi -i testsrc2=size=640x360:rate=25:duration=3 \
        -pix_fmt yuv420p "$clip" || fail "ffmpeg could not make the clip"

    step "1. the dialog opens on the clip"
    start_demo --show watermark "$clip"

    local id
    id=$(xdotool search --onlyvisible --pid "$DEMO_PID" | head -n1)
    [ -n "$id" ] || fail "no window of the dialog"

    step "2. Text is chosen and \"Reel\" typed"
    xdotool mousemove $(point text) click 1
    # The text field shows now; a move of the window prints it.
    nudge_window "$id" 2
    xdotool mousemove $(point textedit) click 1
    xdotool type --delay 50 "Reel"
    # The box appears with the text.
    nudge_window "$id" 3
    has_point box || fail "no box over the picture after typing the text"

    step "3. the box is dragged by (40, 20)"
    local bx by
    read -r bx by <<<"$(point box)"
    drag "$bx" "$by" $((bx + 10)) $((by + 5)) $((bx + 25)) $((by + 12)) $((bx + 40)) $((by + 20))

    step "4. its top-right ring is turned by 30 degrees about the box's centre"
    local rx ry cx cy
    read -r rx ry <<<"$(point ring)"
    rx=$((rx + 40)) ry=$((ry + 20)) cx=$((bx + 40)) cy=$((by + 20))
    local path
    path=$(python3 -c "
import math
cx, cy, rx, ry = $cx, $cy, $rx, $ry
for a in (10, 20, 30):
    t = math.radians(a)
    dx, dy = rx - cx, ry - cy
    print(round(cx + dx * math.cos(t) - dy * math.sin(t)),
          round(cy + dx * math.sin(t) + dy * math.cos(t)), end=' ')
")
    # shellcheck disable=SC2086
    drag "$rx" "$ry" $path

    step "5. Save closes the dialog and gives the item the watermark"
    xdotool mousemove $(point save) click 1
    wait_for_line "closed"
    local status=0
    wait "$DEMO_PID" || status=$?
    DEMO_PID=
    [ "$status" -eq 0 ] || fail "the gallery ended with $status"
    [ "$(state text)" = "Reel" ] || fail "the watermark's text is \"$(state text)\""
    local angle
    angle=$(state angle)
    [ "${angle#-}" != "" ] && [ $((angle - 30)) -le 2 ] && [ $((30 - angle)) -le 2 ] \
        || fail "the watermark is turned by $angle degrees, not about 30"
    local centre
    centre=$(state center)
    python3 -c "
x, y = map(float, '$centre'.split())
raise SystemExit(0 if x > 0.5 and y > 0.5 else 1)
" || fail "the watermark's centre $centre did not move right and down"
    echo "watermark: text $(state text), angle $angle, centre $centre"
}

require_tools python3 ffmpeg
run_scenario scenario
