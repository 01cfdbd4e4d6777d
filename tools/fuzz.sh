#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang and runs each for the given time, starting from the
# seed corpus in tests/fuzz/corpus (new inputs go to build-fuzz/corpus, never into the repo).
# Usage: tools/fuzz.sh [seconds per target, default 60] [target ...]
# CODALUME_FUZZ_SEED fixes libFuzzer's random seed, so a run can be repeated exactly.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(detect_language highlight preferences picture_size deflate_blocks)
tools/deps.sh test

if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCODALUME_FUZZ=ON -DCODALUME_BUILD_TESTS=OFF >/dev/null
fi
echo "fuzz: building ${targets[*]} with clang-14 (build-fuzz/)"
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}" -- -j"$(nproc)"
echo "fuzz: running each target for $seconds s"

status=0
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus" "build-fuzz/crashes/$target"
    log=build-fuzz/fuzz_$target.log
    if ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen "build-fuzz/tests/fuzz/fuzz_$target" \
        -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=30 -print_final_stats=1 \
        ${CODALUME_FUZZ_SEED:+-seed="$CODALUME_FUZZ_SEED"} \
        -artifact_prefix="build-fuzz/crashes/$target/" "$corpus" "tests/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz $target: $result, ${runs:-?} executions in ${seconds} s (log: $log)"
    [ "$result" = ok ] || tail -n 30 "$log"
done
exit $status
