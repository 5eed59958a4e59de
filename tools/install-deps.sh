#!/usr/bin/env bash
# Installs the Debian packages that are missing, for one of two uses:
#   tools/install-deps.sh run    what building and running the program need (./run.sh)
#   tools/install-deps.sh test   those, and what building and running the tests and the
#                                benchmarks need besides (./test.sh)
set -euo pipefail
use="${1:-test}"

# Building and running:
# libxkbcommon-dev: Qt's GUI package looks for XKB when it is configured and says "Could NOT
# find XKB" without it. libqt6sql6-sqlite: the database driver; libsqlite3-dev: its engine,
# asked directly whether a transaction is open. fonts-ipafont-gothic: the
# Japanese texts. libcups2-dev: the print system's client library; a print job is handed to
# the system's print service through it, whose answer is looked at.
run_packages=(cmake g++ ninja-build pkg-config qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite
              libsqlite3-dev fonts-ipafont-gothic libxkbcommon-dev libcups2-dev)
# The tests and benchmarks besides:
# ccache: the test builds share a compiler cache. ghostscript: the tests read printed pages
# back as pictures. poppler-utils: the tests read printed PDF reports back as text (pdftotext,
# pdfinfo). cups-daemon, cups-client: the tests start a print scheduler of their own (cupsd, on
# a private port and folder) and set up its queues (lpadmin, cupsreject); the queues print to
# /dev/null and the scheduler keeps each job's document, so no filter, backend or PDF printer
# is needed. qt6-base-private-dev: the tests queue the user's input as the window system does.
test_packages=(ccache libgtest-dev libgmock-dev libbenchmark-dev ghostscript poppler-utils
               cups-daemon cups-client qt6-base-private-dev)

case "$use" in
    run) packages=("${run_packages[@]}") ;;
    test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *)
        echo "usage: $0 [run|test]" >&2
        exit 2
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
