#!/usr/bin/env bash
# Runs part K of N of a Qt Test executable: every Nth of its cases (a test
# function's data row, or a function without rows), counted in the order
# the executable lists them. One long executable so makes several CTest
# entries, each well inside its timeout, and no case is left out.
#   testpart.sh TEST K N
set -euo pipefail
test=$1 part=$2 parts=$3

listing=$("$test" -datatags) || { echo "FAIL: $test did not list its cases" >&2; exit 1; }
cases=()
index=0
while IFS= read -r line; do
    # "Class function [data tag]"
    read -r _ function tag <<<"$line"
    [ -n "${function:-}" ] || continue
    if [ $((index % parts)) -eq $((part - 1)) ]; then
        cases+=("$function${tag:+:$tag}")
    fi
    index=$((index + 1))
done <<<"$listing"
[ ${#cases[@]} -gt 0 ] || { echo "FAIL: part $part of $parts of $test has no cases" >&2; exit 1; }
exec "$test" "${cases[@]}"
