#!/usr/bin/env bash
# The frameless windows under a real window manager: moving by the title
# bar, resizing by a corner within the size limits, maximizing and
# restoring, the geometry kept across runs and the maintenance keystroke.
#   windowscenario.sh KELWINDOWDEMO
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
source "$(dirname "$SCENARIO_SCRIPT")/x11lib.sh"

scenario() {
    local settings=$WORK_DIR/demo.ini
    start_demo --settings "$settings"
    local main second
    main=$(window_field main id)
    second=$(window_field second id)
    wait_for_geometry "$main" "100 100 400 300"
    wait_for_geometry "$second" "20 20 360 160"

    step "1. dragging the title bar moves the main window"
    local x y w h
    read -r x y w h <<<"$(geometry "$main")"
    local px=$((x + w / 3)) py=$((y + $(window_field main buttonY)))
    xdotool mousemove "$px" "$py" mousedown 1 mousemove $((px + 6)) "$py"
    wait_for_line "main moveByUserStarted"
    drag_until_geometry "$main" $((px + 200)) $((py + 100)) "$((x + 194)) $((y + 100)) $w $h"
    xdotool mouseup 1
    wait_for_line "main moveByUserFinished"
    expect_count "main moveByUserStarted" 1
    expect_count "main moveByUserFinished" 1

    step "2. dragging the bottom-right corner resizes it within its limits"
    read -r x y w h <<<"$(geometry "$main")"
    local cx=$((x + w - 2)) cy=$((y + h - 2))
    xdotool mousemove "$cx" "$cy" mousedown 1
    wait_for_line "main resizeByUserStarted"
    drag_until_geometry "$main" $((cx + 150)) $((cy + 80)) "$x $y $((w + 150)) $((h + 80))"
    xdotool mouseup 1
    wait_for_line "main resizeByUserFinished"
    read -r x y w h <<<"$(geometry "$main")"
    cx=$((x + w - 2))
    cy=$((y + h - 2))
    xdotool mousemove "$cx" "$cy" mousedown 1
    wait_for_line "main resizeByUserStarted" 2
    drag_until_geometry "$main" 1279 1023 "$x $y 900 700"
    xdotool mouseup 1
    wait_for_line "main resizeByUserFinished" 2
    local moved
    moved=$(geometry "$main")

    step "3. the second window's maximize button maximizes it, a title bar double-click restores it"
    local before
    before=$(geometry "$second")
    read -r x y w h <<<"$before"
    xdotool mousemove $((x + w - $(window_field second maximize))) $((y + $(window_field second buttonY))) click 1
    wait_until "the second window maximized" maximized "$second"
    read -r x y w h <<<"$(geometry "$second")"
    xdotool mousemove $((x + w / 3)) $((y + $(window_field second buttonY))) click --repeat 2 --delay 80 1
    wait_until "the second window restored" not_maximized "$second"
    wait_for_geometry "$second" "$before"

    step "4. closed and started again, the main window reopens where it was"
    read -r x y w h <<<"$moved"
    xdotool mousemove $((x + w - $(window_field main close))) $((y + $(window_field main buttonY))) click 1
    wait_for_line "main closed"
    wait "$DEMO_PID" || fail "the demo failed at exit"
    start_demo --settings "$settings"
    main=$(window_field main id)
    wait_for_geometry "$main" "$moved"

    step "5. the access word typed with Ctrl+Alt turns the maintenance mode on"
    activate_window "$main"
    xdotool key ctrl+alt+k ctrl+alt+e ctrl+alt+l ctrl+alt+s ctrl+alt+v ctrl+alt+c
    wait_for_line "maintenance on"
    # Any further key press is handled after the word's: a marker line
    # shows that the word toggled the mode once and only once.
    xdotool key ctrl+alt+q
    wait_for_line "key Key_Q"
    expect_count "maintenance on" 1
    expect_count "maintenance off" 0
}

run_scenario scenario
