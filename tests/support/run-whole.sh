#!/bin/sh
# Runs a test program (with its arguments) and fails it when it ended without its summary, even
# with status 0: code under test that ends the process on its own (an _Exit in the program's
# end) must not pass the tests it cut short. GoogleTest removes the file named by
# TEST_PREMATURE_EXIT_FILE only when it has run to its end.
marker=$(mktemp "${TMPDIR:-/tmp}/qm73-test-exit.XXXXXX") || exit 1
TEST_PREMATURE_EXIT_FILE="$marker" "$@"
status=$?
if [ -e "$marker" ]; then
    rm -f "$marker"
    echo "$1 ended before its summary (status $status): counted as failed" >&2
    [ "$status" -eq 0 ] && status=1
fi
exit "$status"
