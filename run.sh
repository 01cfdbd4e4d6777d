#!/usr/bin/env bash
# Builds Codalume (installing its Debian packages when missing), renders a sample snippet to a
# PNG and prints where it went; on a desktop session it then starts the tray program.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh build
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target codalume -- -j"$(nproc)" >/dev/null

mkdir -p out
picture=$(build/src/codalume render docs/samples/hello.swift -o out/sample.png 2>/dev/null)
echo "Sample picture written to: $picture"

if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--no-tray" ]; then
    echo "Starting the tray program (Super+Shift+C captures the clipboard)..."
    exec build/src/codalume
fi
