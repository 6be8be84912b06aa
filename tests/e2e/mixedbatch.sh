#!/usr/bin/env bash
# A user with default settings adds a video and an audio file and presses
# Convert: the video is written as "in.mp4", in lower case; the audio file,
# which has no output format yet, is not started: its card's Convert is
# disabled and its format cell empty, so nothing fails unexplained.
#   mixedbatch.sh REELFORGE
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
SCENARIO_DIR=$(dirname "$SCENARIO_SCRIPT")
source "$SCENARIO_DIR/../kelkit/x11/x11lib.sh"
source "$SCENARIO_DIR/e2elib.sh"
FRAMEBUFFER_DIR="$SCENARIO_DIR/../reelforge/x11"
PYTHON=python3
[ -x /usr/bin/python3 ] && PYTHON=/usr/bin/python3

if [ -z "${X11_SCENARIO_INNER:-}" ]; then
    X11_FB_DIR=$(mktemp -d)
    export X11_FB_DIR
    export X11_EXTRA_SERVER_ARGS="-fbdir $X11_FB_DIR"
fi

# Places in the window, in its logical pixels: from its left edge, or from
# its right edge when negative.
ADD_FILE="134 80"
# The first card's Convert button, and its box as "X Y WIDTH HEIGHT"; the
# second card's lies one card pitch lower.
CARD_CONVERT="-146 234"
CARD_CONVERT_BOX="-240 215 180 40"
CARD_PITCH=206
# The Convert button's accent colour, enabled.
ACCENT="224 101 123"

# "X Y" or "X Y W H" moved down by the given number of card pitches.
card_place() {
    local x y rest
    read -r x y rest <<<"$1"
    echo "$x $((y + $2 * CARD_PITCH)) $rest"
}

convert_enabled() { # card
    [ "$(pixels_like "$(card_place "$CARD_CONVERT_BOX" "$1")" "$ACCENT")" -gt 50 ]
}

# The Convert button's caption, dark or light, in whatever state.
convert_shown() { # card
    local box
    box=$(card_place "$CARD_CONVERT_BOX" "$1")
    [ "$(pixels_like "$box" "$ACCENT")" -gt 50 ] || [ "$(pixels_like "$box" "235 235 235")" -gt 50 ]
}

convert_disabled() { # card
    local box
    box=$(card_place "$CARD_CONVERT_BOX" "$1")
    [ "$(pixels_like "$box" "$ACCENT")" -le 50 ] && [ "$(pixels_like "$box" "235 235 235")" -gt 50 ]
}

count_logged() {
    [ "$(grep -c -- "$1" "$DEMO_LOG")" -ge "$2" ]
}

readable_media() {
    [ -f "$1" ] && ffprobe -v error -show_entries format=duration -of csv=p=0 "$1" >/dev/null 2>&1
}

add_file() { # path, files added before
    click_at "$ADD_FILE"
    wait_until "the file chooser" chooser_active
    xdotool type --delay 10 "$1"
    xdotool key Return
    wait_until "the file chooser to close" chooser_gone
    wait_until "the card of $1" count_logged "Add time:" "$(($2 + 1))"
}

scenario() {
    export QT_QPA_PLATFORM=xcb
    export HOME=$WORK_DIR/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
    export XDG_CACHE_HOME=$HOME/.cache XDG_RUNTIME_DIR=$HOME/run
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    CLIP_DIR=$WORK_DIR/clips
    mkdir -p "$CLIP_DIR"
    ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25 -f lavfi \
        -i sine=frequency=440:sample_rate=44100 -t 3 -pix_fmt yuv420p -c:v libx264 -c:a aac \
        -shortest "$CLIP_DIR/in.mkv" || fail "ffmpeg could not make the video"
    ffmpeg -v error -f lavfi -i sine=frequency=660:sample_rate=44100 -t 3 -c:a libmp3lame \
        "$CLIP_DIR/tone.mp3" || fail "ffmpeg could not make the audio file"

    DEMO_LOG=$WORK_DIR/reelforge.log
    "$DEMO" >"$DEMO_LOG" 2>&1 &
    DEMO_PID=$!

    step "1. the program shows its main window"
    wait_until "the main window" main_window_found
    WINDOW=$(main_window)
    wait_until "the window's scale factor" window_ratio
    RATIO=$(window_ratio)
    echo "main window $WINDOW at $(geometry "$WINDOW"), scale $RATIO"

    step "2. with default settings, a video and an audio file are added"
    add_file "$CLIP_DIR/in.mkv" 0
    add_file "$CLIP_DIR/tone.mp3" 1
    wait_until "the video's Convert" convert_enabled 0
    wait_until "the audio file's card" convert_shown 1
    # Without an output format the audio file's Convert is not offered: once
    # the card has faded into its state, its Convert shows disabled.
    wait_until "the audio file's Convert, disabled" convert_disabled 1

    step "3. Convert writes in.mp4; the audio file is not started"
    click_at "$CARD_CONVERT"
    click_at "$(card_place "$CARD_CONVERT" 1)"
    wait_until "in.mp4 beside the video" readable_media "$CLIP_DIR/in.mp4"
    [ -e "$CLIP_DIR/in.MP4" ] && fail "an upper-case in.MP4 was written"
    logged "Not converted:" && fail "the audio file was sent and refused"
    ls "$CLIP_DIR"
    [ "$(find "$CLIP_DIR" -name 'tone*' | wc -l)" -eq 1 ] || fail "an output of the audio file appeared"
    convert_enabled 1 && fail "the audio file's Convert became enabled"
    return 0
}

require_tools ffmpeg ffprobe python3
run_scenario scenario
