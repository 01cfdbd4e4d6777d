#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every test: unit and end-to-end tests on the normal build, the unit tests again under
# AddressSanitizer + UndefinedBehaviorSanitizer, then 60 s of each fuzz target
# (CODALUME_FUZZ_SECONDS=0 skips it). Installs its Debian packages when missing.
set -euo pipefail
cd "$(dirname "$0")"
stage() { printf '\n== %s\n' "$*"; }

stage "Debian packages"
tools/deps.sh test
jobs=$(nproc)

# Configures a folder unless it is already configured with the tests (./run.sh leaves them
# out of build/).
configure() {  # folder, extra cmake arguments
    local dir=$1; shift
    if ! grep -qx 'CODALUME_BUILD_TESTS:BOOL=ON' "$dir/CMakeCache.txt" 2>/dev/null ||
        [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DCODALUME_BUILD_TESTS=ON "$@" >/dev/null
    fi
}

stage "build (build/)"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -- -j"$jobs"

stage "unit and end-to-end tests"
ctest --test-dir build --output-on-failure -j"$jobs"

stage "sanitizer build (build-asan/)"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCODALUME_SANITIZE=ON
cmake --build build-asan -- -j"$jobs"

stage "unit tests under ASan+UBSan"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -L unit

# A short libFuzzer run of every target from the seed corpus, with a fixed seed so that the
# same tree gives the same run (tools/fuzz.sh 600 with a random seed is the long search).
seconds=${CODALUME_FUZZ_SECONDS:-60}
if [ "$seconds" -gt 0 ]; then
    stage "fuzz targets, $seconds s each"
    CODALUME_FUZZ_SEED=${CODALUME_FUZZ_SEED:-1} tools/fuzz.sh "$seconds"
fi
stage "all tests passed"
