#!/usr/bin/env bash
# The trim dialog under a real window manager: a 3 s clip is opened, played
# for a second and paused with Space; the left handle is dragged to 0.5 s,
# the right one to 2.5 s, and Save stores that trim on the item, within one
# slider pixel.
#   trimscenario.sh REELGALLERY
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
SCENARIO_DIR=$(dirname "$SCENARIO_SCRIPT")
source "$SCENARIO_DIR/../../../kelkit/x11/x11lib.sh"

SECOND=10000000

# "X Y" of a named point, from the last block the gallery printed.
point() {
    local line
    line=$(grep "^$1 " "$DEMO_LOG" | tail -n1)
    [ -n "$line" ] || fail "no point \"$1\" printed"
    echo "${line#* }"
}

click_at() {
    xdotool mousemove "$1" "$2" click 1
}

# Drags with the left button from (x, y) by dx, in steps, as a hand would.
drag_by() {
    local x=$1 y=$2 dx=$3 step
    xdotool mousemove "$x" "$y" mousedown 1
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((x + dx * step / 8)) "$y"
    done
    xdotool mouseup 1
}

# The x of a time (100-ns units) on the slider, rounded.
time_x() {
    echo $(((START_X * DURATION + (END_X - START_X) * $1 + DURATION / 2) / DURATION))
}

scenario() {
    require_tools ffmpeg ffprobe
    local clip=$WORK_DIR/clip.mp4
    ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=3 \
        -f lavfi -i sine=frequency=440:duration=3 -c:v libx264 -pix_fmt yuv420p \
        -c:a aac -shortest "$clip" || fail "ffmpeg could not make the clip"
    # The container's duration, as the import reads it.
    local seconds
    seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$clip")
    DURATION=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 10000000 + 0.5 }')

    step "open the trim dialog"
    start_demo --show trim "$clip"
    local x y
    read -r START_X y <<<"$(point sliderStart)"
    read -r END_X y <<<"$(point sliderEnd)"
    [ "$END_X" -gt "$START_X" ] || fail "the slider has no width"

    step "play a second, pause with Space"
    read -r x y <<<"$(point play)"
    click_at "$x" "$y"
    wait_for_line "played 1 s"
    xdotool key space

    step "drag the handles to 0.5 s and 2.5 s"
    local mark handle_x handle_y
    read -r mark y <<<"$(point leftMark)"
    read -r handle_x handle_y <<<"$(point leftHandle)"
    drag_by "$handle_x" "$handle_y" $(($(time_x $((SECOND / 2))) - mark))
    read -r mark y <<<"$(point rightMark)"
    read -r handle_x handle_y <<<"$(point rightHandle)"
    drag_by "$handle_x" "$handle_y" $(($(time_x $((5 * SECOND / 2))) - mark))

    step "save"
    read -r x y <<<"$(point save)"
    click_at "$x" "$y"
    wait_for_line "closed"
    wait "$DEMO_PID" || fail "the gallery ended with status $?"
    DEMO_PID=

    local start end pixel
    read -r _ start end <<<"$(grep '^trim ' "$DEMO_LOG" | tail -n1)"
    [ -n "${end:-}" ] || fail "no trim printed"
    # Time units per slider pixel, rounded up.
    pixel=$(((DURATION + END_X - START_X - 1) / (END_X - START_X)))
    echo "trim $start $end, one pixel $pixel"
    [ $((start - SECOND / 2)) -le "$pixel" ] && [ $((SECOND / 2 - start)) -le "$pixel" ] \
        || fail "trim start $start, expected 5000000 within $pixel"
    [ $((end - 5 * SECOND / 2)) -le "$pixel" ] && [ $((5 * SECOND / 2 - end)) -le "$pixel" ] \
        || fail "trim end $end, expected 25000000 within $pixel"
}

run_scenario scenario
