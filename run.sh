#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Codalume (installing its Debian packages when missing), renders a sample snippet to a
# PNG and prints where it went; on a desktop session it then starts the tray program.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh build

# The main job needs no test framework: a first build here leaves the tests out, and
# ./test.sh turns them on in the same folder (a folder it configured keeps them).
if [ ! -f build/build.ninja ]; then
    echo "== configuring build/"
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCODALUME_BUILD_TESTS=OFF \
        >/dev/null
fi
echo "== building build/src/codalume"
cmake --build build --target codalume -- -j"$(nproc)"

mkdir -p out
if ! picture=$(build/src/codalume render docs/samples/hello.swift -o out/sample.png 2>out/sample.log); then
    cat out/sample.log >&2
    exit 1
fi
echo "Sample picture written to: $picture"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${1:-}" != "--no-tray" ]; then
    echo "Starting the tray program (Super+Shift+C captures the clipboard)..."
    exec build/src/codalume
fi
