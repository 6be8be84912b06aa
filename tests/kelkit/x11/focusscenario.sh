#!/usr/bin/env bash
# A line edit that loses the focus on a click outside, under a real window
# manager: presses inside it keep the focus, a press on another window's
# title bar takes it away for good, so that coming back to the window gives
# the focus to the window's first field instead. The window manager takes
# the activation from the main window before the press arrives, which
# alone already prints a focusLost; only the last step tells the two apart.
#   focusscenario.sh KELWINDOWDEMO
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
source "$(dirname "$SCENARIO_SCRIPT")/x11lib.sh"

# A field of the demo's "edit x=.. y=.. w=.. h=.." line.
edit_field() {
    grep -m1 '^edit x=' "$DEMO_LOG" | tr ' ' '\n' | sed -n "s/^$1=//p"
}

scenario() {
    start_demo --settings "$WORK_DIR/demo.ini" --scenario focus
    local main second
    main=$(window_field main id)
    second=$(window_field second id)
    wait_for_geometry "$main" "100 300 400 200"
    wait_for_geometry "$second" "100 40 400 160"
    local ex ey ew eh
    read -r ex ey ew eh <<<"$(edit_field x) $(edit_field y) $(edit_field w) $(edit_field h)"

    step "1. a click into the line edit gives it the focus"
    activate_window "$main"
    xdotool mousemove $((100 + ex + 10)) $((300 + ey + eh / 2)) click 1
    wait_for_line "main press"
    wait_for_line "edit focused"

    step "2. a press inside the line edit keeps the focus"
    xdotool mousemove $((100 + ex + ew - 3)) $((300 + ey + eh - 3)) click 1
    wait_for_line "main press" 2
    xdotool key q
    wait_for_line "key Key_Q focus=Edit"
    expect_count "edit focusLost" 0
    expect_count "edit focused" 1

    step "3. a press on the second window's title bar takes the focus away"
    xdotool mousemove $((100 + 400 / 3)) $((40 + $(window_field second buttonY))) click 1
    wait_for_line "second press"
    wait_for_line "edit focusLost"

    step "4. back in the main window the line edit stays without the focus"
    activate_window "$main"
    xdotool key w
    wait_for_line "key Key_W focus=First"
    expect_count "edit focusLost" 1
    expect_count "edit focused" 1
}

run_scenario scenario
