#!/usr/bin/env bash
# Builds the program, its tests and benchmarks (installing missing Debian packages first) and
# runs all tests.
#   ./test.sh        the normal build, every test through ctest
#   ./test.sh asan   a build of its own (build-asan) under the address and undefined-behaviour
#                    sanitizers; each test program runs whole, in one process
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh test
mode="${1:-}"
if [ "$mode" = asan ]; then
    sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM73_BUILD_TESTS=ON \
          -DQM73_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$sanitize" \
          -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
    cmake --build build-asan -j"$(nproc)"
    export ASAN_OPTIONS="detect_stack_use_after_return=1:strict_init_order=1:abort_on_error=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    failed=()
    for program in build-asan/tests/*_tests; do
        echo "== $program"
        tests/support/run-whole.sh "$program" || failed+=("$program")
    done
    if [ ${#failed[@]} -ne 0 ]; then
        echo "Failed under the sanitizers: ${failed[*]}"
        exit 1
    fi
    exit 0
fi
if [ -n "$mode" ]; then
    echo "usage: $0 [asan]" >&2
    exit 2
fi
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM73_BUILD_TESTS=ON \
      -DQM73_BUILD_BENCH=ON
cmake --build build-test -j"$(nproc)"
ctest --test-dir build-test --output-on-failure -j"$(nproc)" --timeout 300
