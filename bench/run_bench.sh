#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders generated code of 5, 50, 1,000 and 10,000 lines with `codalume render` (2x; the rules
# and the grammar highlighter) and with `pygmentize -f png` (the peer, 1x) in the same run, and prints time and peak-memory ratios,
# and the size of codalume's PNG against `optipng -o2` of the same picture (up to 4 megapixels).
# Usage: bench/run_bench.sh [repeats [lines...]]   (default 3 repeats, the median counts; 5, 50,
# 1000 and 10000 lines)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh bench
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target codalume codalume-grammar -- -j"$(nproc)" >/dev/null
exec /usr/bin/python3 bench/render_bench.py build/src/codalume "${1:-3}" "${@:2}"
