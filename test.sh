#!/usr/bin/env bash
# Builds the program, its tests and benchmarks (installing missing Debian packages first) and
# runs all tests.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM73_BUILD_TESTS=ON \
      -DQM73_BUILD_BENCH=ON
cmake --build build-test -j"$(nproc)"
ctest --test-dir build-test --output-on-failure -j"$(nproc)" --timeout 300
