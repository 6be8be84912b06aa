# Helpers the end-to-end scenarios share; sourced after x11lib.sh.

# The splash carries the program's name too: once it has handed over, the
# main window is the largest window of that name (the splash may still be
# closing).
main_window() {
    grep -q "Finish splash using" "$DEMO_LOG" 2>/dev/null || return 0
    local id x y w h best= area=0
    for id in $(xdotool search --onlyvisible --name "Corvina Reelmorph" 2>/dev/null); do
        read -r x y w h <<<"$(geometry "$id")"
        if [ $((w * h)) -gt "$area" ]; then
            best=$id area=$((w * h))
        fi
    done
    [ -n "$best" ] && echo "$best"
    return 0
}

main_window_found() {
    [ -n "$(main_window)" ]
}

# The window's scale factor, as the program logged it.
window_ratio() {
    grep -o 'initial pixel ratio: [0-9.]*' "$DEMO_LOG" | tail -n1 | awk '{ print $4 }'
}

# The screen position of a place given as "X Y" in the main window's
# logical pixels.
screen_at() {
    local lx ly x y w h
    read -r lx ly <<<"$1"
    read -r x y w h <<<"$(geometry "$WINDOW")"
    awk -v x="$x" -v y="$y" -v w="$w" -v lx="$lx" -v ly="$ly" -v r="$RATIO" \
        'BEGIN { px = lx < 0 ? x + w + lx * r : x + lx * r; printf "%d %d\n", px, y + ly * r }'
}

click_at() {
    local x y
    read -r x y <<<"$(screen_at "$1")"
    xdotool mousemove "$x" "$y" click 1
}

# Pixels within 40 of the colour "R G B" in a box "X Y WIDTH HEIGHT" of the
# window.
pixels_like() {
    local lx ly lw lh x y
    read -r lx ly lw lh <<<"$1"
    read -r x y <<<"$(screen_at "$lx $ly")"
    "$PYTHON" - "$FRAMEBUFFER_DIR" "$X11_FB_DIR/Xvfb_screen0" "$x" "$y" \
        "$(awk -v v="$lw" -v r="$RATIO" 'BEGIN { printf "%d", v * r }')" \
        "$(awk -v v="$lh" -v r="$RATIO" 'BEGIN { printf "%d", v * r }')" $2 <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
import framebuffer
x, y, w, h = (int(v) for v in sys.argv[3:7])
want = [int(v) for v in sys.argv[7:10]]
rows = framebuffer.rgb_rows(framebuffer.load(sys.argv[2]), x, y, w, h)
print(sum(1 for row in rows for pixel in row
          if all(abs(c - v) < 40 for c, v in zip(pixel, want))))
PY
}

chooser() {
    xdotool search --onlyvisible --name "Select video files" 2>/dev/null | head -n1 || true
}

# Shown and taking the keyboard, so that no typed key is lost.
chooser_active() {
    local id
    id=$(chooser)
    [ -n "$id" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$id" ]
}

chooser_gone() {
    [ -z "$(chooser)" ]
}

logged() {
    grep -q -- "$1" "$DEMO_LOG"
}
