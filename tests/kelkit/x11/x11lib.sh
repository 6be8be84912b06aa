# Helpers of the X11 scenarios, sourced by each scenario script. Every wait
# polls for its condition and fails after a deadline; none sleeps a fixed
# time to let something happen.

source "$(dirname "${BASH_SOURCE[0]}")/../../support/waitbound.sh"

# Seconds a wait gives its condition on a loaded machine.
X11_TIMEOUT=$WAIT_BOUND_SECONDS

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${WORK_DIR:-}" ] && [ -s "$WORK_DIR/openbox.log" ]; then
        echo "--- openbox output ---" >&2
        cat "$WORK_DIR/openbox.log" >&2
    fi
    if [ -n "${DEMO_LOG:-}" ] && [ -f "$DEMO_LOG" ]; then
        echo "--- demo output ---" >&2
        cat "$DEMO_LOG" >&2
        if [ -s "$DEMO_LOG.err" ]; then
            echo "--- demo messages, last 40 ---" >&2
            tail -n 40 "$DEMO_LOG.err" >&2
        fi
    fi
    exit 1
}

step() {
    echo "== $*"
}

# Fails unless every named program is installed.
require_tools() {
    local missing=()
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
    done
    [ ${#missing[@]} -eq 0 ] || fail "missing tools: ${missing[*]} (scripts/install-deps.sh installs them)"
}

# Runs "$@" until it succeeds or the deadline passes.
wait_until() {
    local what=$1
    shift
    local deadline=$((SECONDS + X11_TIMEOUT))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for $what"
        sleep 0.05
    done
}

# Activates the window and waits until it is active.
activate_window() {
    timeout "$X11_TIMEOUT" xdotool windowactivate --sync "$1" >/dev/null \
        || fail "window $1 did not become active"
}

# The exit status of an inner run whose X server could not be reached.
DisplayLost=75

# True once openbox manages the screen or has ended.
wm_settled() {
    if ! kill -0 "$WM_PID" 2>/dev/null; then
        if ! xprop -root >/dev/null 2>&1; then
            echo "== no X server at $DISPLAY" >&2
            exit "$DisplayLost"
        fi
        return 0
    fi
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Starts openbox with a configuration of our own (no edge resistance, no key
# bindings but those of X11_WM_KEYBINDS, openbox <keybind> elements) and
# waits until it manages the screen.
start_wm() {
    local config=$WORK_DIR/openbox-rc.xml
    cat >"$config" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <resistance><strength>0</strength><screen_edge_strength>0</screen_edge_strength></resistance>
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
  <keyboard>${X11_WM_KEYBINDS:-}</keyboard>
  <mouse>
    <dragThreshold>1</dragThreshold>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
</openbox_config>
XML
    # A freshly started X server under load can refuse a connection that the
    # next one gets; openbox then ends at once, and starts again.
    local attempt
    for attempt in 1 2 3; do
        openbox --sm-disable --config-file "$config" >"$WORK_DIR/openbox.log" 2>&1 &
        WM_PID=$!
        wait_until "the window manager" wm_settled
        kill -0 "$WM_PID" 2>/dev/null && return 0
        grep -q "Failed to open the display" "$WORK_DIR/openbox.log" || break
        echo "== openbox could not open $DISPLAY; again"
    done
    fail "openbox ended before it managed the screen"
}

# Starts the demo with the given arguments, its output going to $DEMO_LOG,
# and waits until its windows are shown.
start_demo() {
    DEMO_LOG=$WORK_DIR/demo-$((++DEMO_RUNS)).log
    : >"$DEMO_LOG"
    "$DEMO" "$@" >"$DEMO_LOG" 2>"$DEMO_LOG.err" &
    DEMO_PID=$!
    wait_for_line "ready"
}

demo_running() {
    kill -0 "$DEMO_PID" 2>/dev/null
}

# How often the demo printed exactly this line.
line_count() {
    grep -c -x -- "$1" "$DEMO_LOG" || true
}

has_lines() {
    [ "$(line_count "$1")" -ge "$2" ]
}

# Waits until the demo has printed the line (count times).
wait_for_line() {
    local line=$1 count=${2:-1}
    local deadline=$((SECONDS + X11_TIMEOUT))
    until has_lines "$line" "$count"; do
        demo_running || fail "the demo ended before printing \"$line\""
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for \"$line\""
        sleep 0.05
    done
}

expect_count() {
    local got
    got=$(line_count "$1")
    [ "$got" -eq "$2" ] || fail "\"$1\" printed $got times, expected $2"
}

# A field of the demo's "window NAME ..." line.
window_field() {
    grep -m1 "^window $1 " "$DEMO_LOG" | tr ' ' '\n' | sed -n "s/^$2=//p"
}

# "X Y WIDTH HEIGHT" of a window, as the X server has it.
geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '
        $1 == "X" { x = $2 } $1 == "Y" { y = $2 }
        $1 == "WIDTH" { w = $2 } $1 == "HEIGHT" { h = $2 }
        END { print x, y, w, h }'
}

geometry_is() {
    [ "$(geometry "$1")" = "$2" ]
}

wait_for_geometry() {
    local deadline=$((SECONDS + X11_TIMEOUT))
    until geometry_is "$1" "$2"; do
        [ $SECONDS -lt $deadline ] || fail "window $1 has geometry $(geometry "$1"), expected $2"
        sleep 0.05
    done
}

net_wm_state() {
    xprop -id "$1" _NET_WM_STATE
}

maximized() {
    local state
    state=$(net_wm_state "$1")
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]]
}

not_maximized() {
    local state
    state=$(net_wm_state "$1")
    [[ $state != *_NET_WM_STATE_MAXIMIZED_VERT* && $state != *_NET_WM_STATE_MAXIMIZED_HORZ* ]]
}

# Moves the pointer to (x, y) with the button held until window has the
# geometry: the window manager takes the pointer some time after the demo
# asks it to, and only pointer motion from then on counts, so the pointer
# steps off the target and back until the geometry shows it arrived.
drag_until_geometry() {
    local window=$1 x=$2 y=$3 expected=$4
    local deadline=$((SECONDS + X11_TIMEOUT))
    until geometry_is "$window" "$expected"; do
        [ $SECONDS -lt $deadline ] || fail "window $window has $(geometry "$window"), expected $expected"
        xdotool mousemove $((x - 1)) "$y" mousemove "$x" "$y"
    done
}

# Sets up the display, the window manager and the work folder, then runs
# the scenario function given; re-executes the script under xvfb-run first,
# with X11_EXTRA_SERVER_ARGS added to the X server's arguments.
run_scenario() {
    require_tools xvfb-run Xvfb xauth openbox xdotool xprop timeout
    if [ -z "${X11_SCENARIO_INNER:-}" ]; then
        # xvfb-run -a guesses a free display number; on a machine where
        # other X servers come and go, the display it hands over can be gone
        # before the scenario starts. That run ends with DisplayLost and the
        # scenario starts again on another display.
        local attempt status
        for attempt in 1 2 3; do
            status=0
            X11_SCENARIO_INNER=1 xvfb-run -a \
                -s "-screen 0 1280x1024x24 -nolisten tcp ${X11_EXTRA_SERVER_ARGS:-}" \
                bash "$SCENARIO_SCRIPT" "$DEMO" || status=$?
            [ "$status" -eq "$DisplayLost" ] || break
            echo "== the X server was lost before the scenario began; again on another display"
        done
        [ -n "${X11_FB_DIR:-}" ] && rm -rf "$X11_FB_DIR"
        exit "$status"
    fi
    WORK_DIR=$(mktemp -d)
    # The X server's platform and a runtime folder of the scenario's own,
    # whatever the caller's shell exported.
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR=$WORK_DIR/run
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    DEMO_RUNS=0
    trap 'cleanup_scenario' EXIT
    start_wm
    "$1"
    echo "PASS"
}

cleanup_scenario() {
    # Either may have ended already; the status is the scenario's.
    [ -n "${DEMO_PID:-}" ] && { kill "$DEMO_PID" 2>/dev/null || true; }
    [ -n "${WM_PID:-}" ] && { kill "$WM_PID" 2>/dev/null || true; }
    # Whatever else a scenario started (a compositing manager, say) would
    # keep the wait below from ever ending.
    local others
    others=$(jobs -p)
    [ -n "$others" ] && { kill $others 2>/dev/null || true; }
    wait 2>/dev/null
    rm -rf "$WORK_DIR"
    return 0
}
