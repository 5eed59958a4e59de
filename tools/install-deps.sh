#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
set -euo pipefail
# libxkbcommon-dev: Qt's GUI package looks for XKB when it is configured and says "Could NOT
# find XKB" without it. ghostscript: the tests read printed pages back as pictures.
# poppler-utils: the tests read printed PDF reports back as text (pdftotext, pdfinfo).
# libcups2-dev: a print job is handed to the CUPS scheduler, whose answer is looked at.
# cups-daemon, cups-client: the tests start a CUPS scheduler of their own (cupsd, on a private
# port and folder) and set up its queues (lpadmin, cupsreject); the queues print to /dev/null
# and the scheduler keeps each job's document, so no filter, backend or PDF printer is needed.
packages=(cmake g++ ninja-build pkg-config ccache libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite libsqlite3-dev fonts-ipafont-gothic libxkbcommon-dev
          ghostscript poppler-utils qt6-base-private-dev libcups2-dev cups-daemon cups-client)
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
