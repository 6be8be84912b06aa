#!/usr/bin/env bash
# Every class with a meta-object has it compiled in its own object file: the
# .cpp beside a header that declares Q_OBJECT, Q_GADGET or Q_NAMESPACE ends
# by including "moc_<name>.cpp". Otherwise AutoMoc puts it into the one
# mocs_compilation object of its library, and linking any class of the
# library pulls in all of them.
#
#   checkmocfiles.sh SOURCE_DIR
set -euo pipefail
cd "$1"

failed=0
while IFS= read -r header; do
    name=$(basename "${header%.h}")
    source=${header%.h}.cpp
    if ! grep -qs "^#include \"moc_$name.cpp\"" "$source"; then
        echo "FAIL: $source does not include \"moc_$name.cpp\""
        failed=1
    fi
done < <(grep -rlE --include='*.h' '^\s*(Q_OBJECT|Q_GADGET|Q_NAMESPACE)\b' \
    kelbase kelkit reelforge reelworker | sort)
exit $failed
