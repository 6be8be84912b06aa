#!/usr/bin/env bash
# Toasts under a real window manager: three of them stack upwards from the
# screen's bottom-right corner, stay above other windows and never take
# the focus from the main window.
#   toastscenario.sh KELWINDOWDEMO
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
source "$(dirname "$SCENARIO_SCRIPT")/x11lib.sh"

# The framework's distance of toasts from the screen's edges.
EDGE=16

focus_is() {
    [ "$(xdotool getwindowfocus)" = "$1" ]
}

above() {
    [[ $(net_wm_state "$1") == *_NET_WM_STATE_ABOVE* ]]
}

# The toast's right edge is the distance inside the screen's, and the row
# below it is the given y.
toast_rests_at() {
    local x y w h
    read -r x y w h <<<"$(geometry "$1")"
    [ $((x + w)) -eq $((SCREEN_W - EDGE)) ] && [ $((y + h)) -eq "$2" ]
}

# Waits for the toast to rest with its bottom row at the given y; a
# timeout names where every toast is.
wait_for_rest() {
    local deadline=$((SECONDS + X11_TIMEOUT))
    until toast_rests_at "$1" "$2"; do
        if [ $SECONDS -ge $deadline ]; then
            local where="" other
            for other in $(sed -n "s/^toast [0-9]* id=//p" "$DEMO_LOG"); do
                where+=" $other at $(geometry "$other");"
            done
            fail "toast $1 does not rest with its right edge at $((SCREEN_W - EDGE))" \
                "and its bottom row at $2:$where"
        fi
        sleep 0.05
    done
}

scenario() {
    read -r SCREEN_W SCREEN_H <<<"$(xdotool getdisplaygeometry)"
    start_demo --settings "$WORK_DIR/demo.ini" --scenario toasts
    local main
    main=$(window_field main id)
    activate_window "$main"
    wait_until "the focus on the main window" focus_is "$main"

    step "1. three toasts climb from the bottom-right corner"
    xdotool key t t t
    # Each rests the distance above the top row of the one below; the first
    # the distance above the screen's bottom.
    local bottom=$((SCREEN_H - EDGE)) toast id x y w h
    for toast in 1 2 3; do
        wait_until "toast $toast" grep -q "^toast $toast id=" "$DEMO_LOG"
        id=$(sed -n "s/^toast $toast id=//p" "$DEMO_LOG")
        wait_for_rest "$id" "$bottom"
        read -r x y w h <<<"$(geometry "$id")"
        echo "toast $toast at $x $y ${w}x$h"

        step "2. toast $toast stays above other windows"
        wait_until "toast $toast above" above "$id"
        bottom=$((y - EDGE + 1))
    done

    step "3. the focus stayed on the main window"
    focus_is "$main" || fail "the focus went to $(xdotool getwindowfocus), not the main window $main"
}

run_scenario scenario
