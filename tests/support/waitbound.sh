# The bound of the scenario scripts' waits, sourced by each of them. Every
# wait polls for what it needs (a window, a line, a file) and ends as soon
# as it is there; the bound only says when to give up. It matches the C++
# tests' bound (waitbound.h): 60 seconds, times REEL_TEST_TIME_SCALE.

# Seconds, rounded up; a scale that is not a positive number counts as 1.
WAIT_BOUND_SECONDS=$(awk -v scale="${REEL_TEST_TIME_SCALE:-1}" 'BEGIN {
    if (scale !~ /^[0-9]*\.?[0-9]+$/ || scale + 0 <= 0) scale = 1
    seconds = 60 * scale
    printf "%d\n", seconds == int(seconds) ? seconds : int(seconds) + 1
}')
