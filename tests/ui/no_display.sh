#!/bin/sh
# Started with an empty environment, the windowed program ($1) finds no display: it says so in one
# line that points to the command line, and ends with 3, where Qt alone would abort with 134.
out=$(env -i "$1" 2>&1)
code=$?
printf '%s\n' "$out"
[ "$code" -eq 3 ] || { echo "exit code $code, expected 3"; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { echo "expected one line"; exit 1; }
printf '%s' "$out" | grep -q trelvane-cli || { echo "the line does not name trelvane-cli"; exit 1; }
