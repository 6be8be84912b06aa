#!/usr/bin/env bash
# The program's start-up under a real window manager: the splash shows
# centred on the screen, its white dots run along its bottom, and after its
# minimum time it hands over to the main window; the program runs on until
# it is told to stop.
#   splashscenario.sh REELFORGE
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
SCENARIO_DIR=$(dirname "$SCENARIO_SCRIPT")
source "$SCENARIO_DIR/../../kelkit/x11/x11lib.sh"
FRAMEBUFFER="$SCENARIO_DIR/framebuffer.py"
# The system's interpreter starts fastest; the scenario polls it often.
PYTHON=python3
[ -x /usr/bin/python3 ] && PYTHON=/usr/bin/python3

# The screen's pixels, as Xvfb keeps them in a file.
if [ -z "${X11_SCENARIO_INNER:-}" ]; then
    X11_FB_DIR=$(mktemp -d)
    export X11_FB_DIR
    export X11_EXTRA_SERVER_ARGS="-fbdir $X11_FB_DIR"
fi

# The band along the splash's bottom where the dots run (22 to 31 logical
# pixels above its bottom edge), with room for the screen's scale factor;
# the picture has no white there.
BAND_TOP=45
BAND_BOTTOM=10

splash_window() {
    xdotool search --onlyvisible --pid "$DEMO_PID" 2>/dev/null | head -n1
}

splash_shown() {
    [ -n "$(splash_window)" ]
}

# "WHITE DIGEST" of the band the dots run in.
dots_strip() {
    "$PYTHON" "$FRAMEBUFFER" region "$X11_FB_DIR/Xvfb_screen0" \
        "$SPLASH_X" $((SPLASH_Y + SPLASH_H - BAND_TOP)) "$SPLASH_W" $((BAND_TOP - BAND_BOTTOM))
}

# Within a pixel: Qt rounds the centring at the screen's scale factor.
near() {
    [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]
}

dots_visible() {
    local white digest
    read -r white digest <<<"$(dots_strip)"
    [ "$white" -gt 0 ]
}

# The dots move within the splash's short life: watched in one process.
dots_run() {
    "$PYTHON" "$FRAMEBUFFER" changes "$X11_FB_DIR/Xvfb_screen0" "$SPLASH_X" \
        $((SPLASH_Y + SPLASH_H - BAND_TOP)) "$SPLASH_W" $((BAND_TOP - BAND_BOTTOM)) "$X11_TIMEOUT" \
        || fail "the dots did not move"
}

main_window_shown() {
    xdotool search --onlyvisible --name "Corvina Reelmorph" >/dev/null 2>&1
}

logged() {
    cat "$HOME"/.*/log/*.txt 2>/dev/null | grep -q -- "$1"
}

scenario() {
    read -r SCREEN_W SCREEN_H <<<"$(xdotool getdisplaygeometry)"
    DEMO_LOG=$WORK_DIR/reelforge.log
    "$DEMO" >"$DEMO_LOG" 2>&1 &
    DEMO_PID=$!

    step "1. the splash shows centred on the screen"
    wait_until "the splash" splash_shown
    local id
    id=$(splash_window)
    read -r SPLASH_X SPLASH_Y SPLASH_W SPLASH_H <<<"$(geometry "$id")"
    echo "splash at $SPLASH_X $SPLASH_Y ${SPLASH_W}x$SPLASH_H"
    near "$SPLASH_X" $(((SCREEN_W - SPLASH_W) / 2)) && near "$SPLASH_Y" $(((SCREEN_H - SPLASH_H) / 2)) \
        || fail "the splash is not centred on the ${SCREEN_W}x$SCREEN_H screen"

    step "2. white dots run along its bottom"
    dots_run
    # SPLASH_SCREENSHOT=file.png keeps a picture of the screen with the dots.
    if [ -n "${SPLASH_SCREENSHOT:-}" ]; then
        wait_until "white dots in the strip" dots_visible
        "$PYTHON" "$FRAMEBUFFER" png "$X11_FB_DIR/Xvfb_screen0" "$SPLASH_SCREENSHOT"
        echo "screenshot in $SPLASH_SCREENSHOT"
    fi

    step "3. past its minimum time it hands over to the main window"
    wait_until "the hand-over" logged "Finish splash using"
    wait_until "the main window" main_window_shown
    demo_running || fail "the program ended"

    step "4. a request to stop ends the program cleanly"
    kill -TERM "$DEMO_PID"
    local status=0
    wait "$DEMO_PID" || status=$?
    DEMO_PID=
    [ "$status" -eq 0 ] || fail "the program ended with $status"
}

require_tools python3
run_scenario scenario
