#!/usr/bin/env bash
# A scenario fails, and does not skip, when a tool it needs is missing: here
# xdotool, left out of PATH.
#   missingtools.sh SCENARIO KELWINDOWDEMO
set -euo pipefail
bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT
ln -s /usr/bin/* "$bin/"
rm -f "$bin/xdotool"
status=0
output=$(PATH=$bin bash "$1" "$2" 2>&1) || status=$?
[ "$status" -ne 0 ] || { echo "FAIL: the scenario passed without xdotool" >&2; exit 1; }
grep -q 'missing tools: xdotool' <<<"$output" \
    || { echo "FAIL: the scenario did not name the missing tool: $output" >&2; exit 1; }
echo "PASS: $output"
