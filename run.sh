#!/usr/bin/env bash
# Builds the program (installing missing Debian packages first) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM73_BUILD_TESTS=OFF \
      -DQM73_BUILD_BENCH=OFF
cmake --build build --target qm73 -j"$(nproc)"
exec ./build/app/qm73 "$@"
