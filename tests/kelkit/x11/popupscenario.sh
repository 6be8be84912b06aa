#!/usr/bin/env bash
# Popups under a real window manager: the combo's popup and its choice,
# clicks outside that close it and still reach the window under them, a
# caption drag that begins while it is open, and a menu whose submenu opens
# when the pointer rests on its item.
#   popupscenario.sh KELWINDOWDEMO
set -euo pipefail
DEMO=$1
SCENARIO_SCRIPT=$(readlink -f "$0")
source "$(dirname "$SCENARIO_SCRIPT")/x11lib.sh"

# "X Y" on the screen of a part the demo named: its place in its window
# plus where the X server has that window.
part_at() {
    local name=$1 window=$2 line dx dy wx wy rest
    line=$(grep "^part $name " "$DEMO_LOG" | tail -1)
    [ -n "$line" ] || fail "the demo named no part $name"
    read -r _ _ _ dx dy <<<"$line"
    read -r wx wy rest <<<"$(geometry "$window")"
    echo "$((wx + dx)) $((wy + dy))"
}

popup_id() {
    grep "^popup $1 id=" "$DEMO_LOG" | tail -1 | sed 's/.*id=//'
}

# The number of the first line that is exactly the text.
line_number() {
    grep -n -x -- "$1" "$DEMO_LOG" | head -1 | cut -d: -f1
}

click_at() {
    xdotool mousemove "$1" "$2" click 1
}

# Opens the combo's popup, the count-th time.
open_combo() {
    local x y
    read -r x y <<<"$(part_at combo "$MAIN")"
    click_at "$x" "$y"
    wait_for_line "popup combo shown" "$1"
}

scenario() {
    start_demo --settings "$WORK_DIR/demo.ini" --scenario popups
    MAIN=$(window_field main id)
    local second x y presses
    second=$(window_field second id)
    wait_for_geometry "$MAIN" "100 100 400 300"
    wait_for_geometry "$second" "600 100 360 160"

    step "1. the combo's popup opens on a click; a click on the third item chooses it"
    open_combo 1
    read -r x y <<<"$(part_at item3 "$(popup_id combo)")"
    click_at "$x" "$y"
    wait_for_line "itemClicked 3"
    wait_for_line "popup combo hidden"
    expect_count "currentDataChanged 3" 1
    [ "$(line_number "currentDataChanged 3")" -lt "$(line_number "itemClicked 3")" ] \
        || fail "itemClicked came before currentDataChanged"

    step "2. a click on a button of the main window closes the popup and clicks the button"
    open_combo 2
    read -r x y <<<"$(part_at other "$MAIN")"
    presses=$(line_count "main pressed")
    xdotool mousemove "$x" "$y" mousedown 1
    wait_for_line "popup combo hidden" 2
    # The press reaches the window under it once the popup is gone; the
    # release follows it there, as a user's does.
    wait_for_line "main pressed" $((presses + 1))
    xdotool mouseup 1
    wait_for_line "other clicked"

    step "3. a press on the second window's title bar closes the popup and drags the window"
    open_combo 3
    local bx by bw bh
    read -r bx by bw bh <<<"$(geometry "$second")"
    read -r x y <<<"$(part_at caption "$second")"
    presses=$(line_count "second pressed")
    xdotool mousemove "$x" "$y" mousedown 1
    wait_for_line "popup combo hidden" 3
    wait_for_line "second pressed" $((presses + 1))
    xdotool mousemove $((x + 6)) "$y"
    wait_for_line "second moveByUserStarted"
    drag_until_geometry "$second" $((x + 150)) "$y" "$((bx + 144)) $by $bw $bh"
    xdotool mouseup 1
    wait_for_line "second moveByUserFinished"

    step "4. a click on the combo closes its open popup and leaves it unchecked"
    open_combo 4
    read -r x y <<<"$(part_at combo "$MAIN")"
    click_at "$x" "$y"
    wait_for_line "popup combo hidden" 4
    wait_for_line "combo toggled false"
    wait_for_line "combo checked=0" 4
    expect_count "combo checked=1" 0
    expect_count "combo toggled false" 1

    step "5. resting on the submenu item opens the submenu; Escape closes it, then the menu"
    read -r x y <<<"$(part_at menu "$MAIN")"
    click_at "$x" "$y"
    wait_for_line "popup menu shown"
    read -r x y <<<"$(part_at more "$(popup_id menu)")"
    xdotool mousemove "$x" "$y"
    wait_for_line "popup submenu shown"
    xdotool key Escape
    wait_for_line "popup submenu hidden"
    expect_count "popup menu hidden" 0
    xdotool key Escape
    wait_for_line "popup menu hidden"
}

run_scenario scenario
