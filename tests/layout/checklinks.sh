#!/usr/bin/env bash
# What each program may hold:
# - reelworker, a process without a window, loads none of Qt's Widgets,
#   Multimedia, DBus or X11Extras libraries and defines no symbol of the
#   GUI's libraries (widgets, windows, the application object, the GUI's
#   media code);
# - reelforge defines no symbol of the worker's conversion code.
#
#   checklinks.sh WORKER GUI CONVERSION_LIB GUI_LIB...
set -euo pipefail

worker=$1
gui=$2
conversion=$3
shift 3
failed=0

# Global, non-weak code and data symbols, mangled.
strong_symbols() {
    nm --defined-only -g "$@" 2>/dev/null | awk 'NF == 3 && $2 ~ /^[TDBR]$/ { print $3 }' | sort -u
}

# Prints the symbols of FILE that are also defined by LIBS, demangled.
shared_symbols() { # FILE LIBS...
    local file=$1
    shift
    comm -12 <(strong_symbols "$file") <(strong_symbols "$@") | c++filt
}

report() { # WHAT SYMBOLS
    local count
    count=$(printf '%s\n' "$2" | grep -c .)
    echo "FAIL: $1 ($count symbols), for example:"
    printf '%s\n' "$2" | head -n 20 | sed 's/^/    /'
    failed=1
}

forbidden=$(ldd "$worker" | grep -oE 'libQt5(Widgets|Multimedia|DBus|X11Extras)[^ ]*' | sort -u || true)
if [ -n "$forbidden" ]; then
    echo "FAIL: $(basename "$worker") loads:"
    printf '    %s\n' $forbidden
    failed=1
fi

found=$(shared_symbols "$worker" "$@")
[ -z "$found" ] || report "$(basename "$worker") defines symbols of the GUI's libraries" "$found"

found=$(shared_symbols "$gui" "$conversion")
[ -z "$found" ] || report "$(basename "$gui") defines symbols of the worker's conversion code" "$found"

exit $failed
