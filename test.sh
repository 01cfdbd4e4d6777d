#!/usr/bin/env bash
# Runs every test: unit and end-to-end tests on the normal build, then the unit tests again
# under AddressSanitizer + UndefinedBehaviorSanitizer. Installs its Debian packages when missing.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh test
jobs=$(nproc)

configure() {  # folder, extra cmake arguments
    local dir=$1; shift
    [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -- -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCODALUME_SANITIZE=ON
cmake --build build-asan -- -j"$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -L unit
