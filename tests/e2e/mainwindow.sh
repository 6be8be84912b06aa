#!/usr/bin/env bash
# A user converts a file in the main window: the program starts into its
# main window; Add file with the clip's path typed into the file chooser
# adds a card, whose own Convert button writes a new media file beside the
# clip; a second start brings the minimised window back; the Converted view
# shows the card, and after the window is closed the history lists the
# output and the run is recorded as a clean exit.
#   mainwindow.sh REELFORGE
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
SCENARIO_DIR=$(dirname "$SCENARIO_SCRIPT")
source "$SCENARIO_DIR/../kelkit/x11/x11lib.sh"
source "$SCENARIO_DIR/e2elib.sh"
FRAMEBUFFER_DIR="$SCENARIO_DIR/../reelforge/x11"
PYTHON=python3
[ -x /usr/bin/python3 ] && PYTHON=/usr/bin/python3

# The screen's pixels, as Xvfb keeps them in a file.
if [ -z "${X11_SCENARIO_INNER:-}" ]; then
    X11_FB_DIR=$(mktemp -d)
    export X11_FB_DIR
    export X11_EXTRA_SERVER_ARGS="-fbdir $X11_FB_DIR"
fi

# Places in the window, in its logical pixels: from its left edge, or from
# its right edge when negative.
ADD_FILE="134 80"
CONVERTED_VIEW="-113 80"
CARD_CONVERT="-146 234"
CLOSE_BUTTON="-20 20"
# The first card's Convert button, as "X Y WIDTH HEIGHT".
CARD_CONVERT_BOX="-240 215 180 40"
# The first card's Trim button.
CARD_TRIM_BOX="40 286 190 34"

# openbox does not always focus a window mapped while another program's
# window closes; a user would click it, the scenario asks for it.
activate_main_window() {
    WINDOW=$(main_window)
    [ -n "$WINDOW" ] || return 1
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$WINDOW" ] && return 0
    xdotool windowactivate "$WINDOW" 2>/dev/null
    return 1
}

card_convert_shown() {
    [ "$(pixels_like "$CARD_CONVERT_BOX" "224 101 123")" -gt 50 ]
}

# The Trim button's dark caption: the card shows its extra buttons only once
# the file is imported, and only then does its Convert button take a click.
card_imported() {
    [ "$(pixels_like "$CARD_TRIM_BOX" "40 40 40")" -gt 20 ]
}

# A new file beside the clip that ffprobe reads as media.
output_file() {
    local file
    for file in "$CLIP_DIR"/*; do
        [ "$file" = "$CLIP" ] && continue
        ffprobe -v error -show_entries format=duration -of csv=p=0 "$file" >/dev/null 2>&1 \
            && { echo "$file"; return 0; }
    done
    return 1
}

has_output() {
    output_file >/dev/null
}

# A digest of the cards' area of the window.
card_area() {
    local x y
    read -r x y <<<"$(screen_at "40 120")"
    "$PYTHON" "$FRAMEBUFFER_DIR/framebuffer.py" region "$X11_FB_DIR/Xvfb_screen0" "$x" "$y" 600 200 \
        | awk '{ print $2 }'
}

card_area_differs() {
    [ "$(card_area)" != "$1" ]
}

window_hidden() {
    net_wm_state "$WINDOW" | grep -q _NET_WM_STATE_HIDDEN
}

window_active() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$WINDOW" ] && ! window_hidden
}

# Ended, and not yet reaped: a zombie still answers kill -0.
demo_ended() {
    local state
    state=$(ps -o stat= -p "$DEMO_PID" 2>/dev/null || true)
    [ -z "$state" ] || [[ $state == Z* ]]
}

scenario() {
    # A private HOME, so that settings, history and logs start empty.
    export HOME=$WORK_DIR/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
    export XDG_CACHE_HOME=$HOME/.cache
    CLIP_DIR=$WORK_DIR/clips
    mkdir -p "$CLIP_DIR"
    CLIP=$CLIP_DIR/clip.mp4
    ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi \
        -i sine=frequency=440:sample_rate=44100 -t 3 -pix_fmt yuv420p -c:v libx264 -c:a aac \
        -shortest "$CLIP" || fail "ffmpeg could not make the clip"

    DEMO_LOG=$WORK_DIR/reelforge.log
    "$DEMO" >"$DEMO_LOG" 2>&1 &
    DEMO_PID=$!

    step "1. the program shows its main window"
    wait_until "the main window" main_window_found
    WINDOW=$(main_window)
    wait_until "the window's scale factor" window_ratio
    RATIO=$(window_ratio)
    echo "main window $WINDOW at $(geometry "$WINDOW"), scale $RATIO"

    step "2. Add file with the clip's path typed in adds a card; its Convert converts it"
    # A click before the window takes input would be lost.
    wait_until "the main window to be active" activate_main_window
    click_at "$ADD_FILE"
    wait_until "the file chooser" chooser_active
    xdotool type --delay 10 "$CLIP"
    xdotool key Return
    wait_until "the file chooser to close" chooser_gone
    wait_until "the card" logged "Add time:"
    wait_until "the card's Convert button" card_convert_shown
    wait_until "the card's file to be imported" card_imported
    click_at "$CARD_CONVERT"
    wait_until "a converted file beside the clip" has_output
    local output
    output=$(output_file)
    echo "converted: $output"

    step "3. with the window minimised, a second start brings it back"
    xdotool windowminimize "$WINDOW"
    wait_until "the window to be minimised" window_hidden
    "$DEMO" >"$WORK_DIR/second.log" 2>&1 || fail "the second start ended with $?"
    wait_until "the window to be shown and active" window_active

    step "4. Converted shows the card; closing keeps it in the history"
    # The card, converted, stays in the queue view until then.
    card_convert_shown && fail "the card still offers Convert"
    local queue_view
    queue_view=$(card_area)
    click_at "$CONVERTED_VIEW"
    wait_until "the Converted view" card_area_differs "$queue_view"
    click_at "$CLOSE_BUTTON"
    wait_until "the program to end" demo_ended
    local status=0
    wait "$DEMO_PID" || status=$?
    DEMO_PID=
    [ "$status" -eq 0 ] || fail "the program ended with $status"
    local history
    history=$(find "$HOME" -name history.json | head -n1)
    [ -n "$history" ] || fail "no history file"
    grep -q -- "$(basename "$output")" "$history" || fail "the history does not list $output"
    local flag
    flag=$(find "$HOME" -name .cf | head -n1)
    [ -n "$flag" ] || fail "no .cf file"
    [ "$(od -An -tx1 "$flag" | tr -d ' \n')" = "00" ] || fail ".cf holds $(od -An -tx1 "$flag")"
}

require_tools ffmpeg ffprobe python3
run_scenario scenario
