#!/usr/bin/env bash
# The settings dialog under a real window manager: a click on Dark switches
# the theme at once; Escape and Alt+F4 (the window manager's close) put the
# light theme back, Save keeps the dark one.
#   settingsscenario.sh REELGALLERY
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
source "$(dirname "$SCENARIO_SCRIPT")/../../../kelkit/x11/x11lib.sh"

# Alt+F4 closes the active window through the window manager.
X11_WM_KEYBINDS='<keybind key="A-F4"><action name="Close"/></keybind>'

# "X Y" of a point the show mode printed.
point() {
    grep -m1 "^$1 " "$DEMO_LOG" | cut -d' ' -f2,3
}

# Opens the dialog, clicks Dark, closes the dialog by the given action and
# checks the stored theme.
run_once() {
    local close=$1 expected=$2
    start_demo --show settings
    local x y
    read -r x y <<<"$(point dark)"
    xdotool mousemove "$x" "$y" click 1
    wait_for_line "style DarkStyle"
    case $close in
    escape) xdotool key Escape ;;
    alt-f4) xdotool key alt+F4 ;;
    save)
        read -r x y <<<"$(point save)"
        xdotool mousemove "$x" "$y" click 1
        ;;
    esac
    wait_for_line "closed"
    wait "$DEMO_PID" || fail "the gallery failed at exit"
    # Gone already: the clean-up has nothing to stop.
    DEMO_PID=
    local stored
    stored=$(sed -n 's/^lastStyleId //p' "$DEMO_LOG")
    [ "$stored" = "$expected" ] || fail "after $close lastStyleId is \"$stored\", expected $expected"
}

scenario() {
    step "1. Dark, then Escape: the light theme comes back"
    run_once escape LightStyle
    step "2. Dark, then Alt+F4 through the window manager: the light theme comes back"
    run_once alt-f4 LightStyle
    step "3. Dark, then Save: the dark theme stays"
    run_once save DarkStyle
}

run_scenario scenario
