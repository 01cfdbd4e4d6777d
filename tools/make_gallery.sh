#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the pictures of docs/gallery/ from docs/samples/ with `codalume render`, one per look:
# every rule set, solid and gradient (three directions), light and dark, with an author line,
# the optional parts of the card (line numbers, window buttons, shadow), and the same C++, Go and
# TypeScript with both highlighters, the grammar one in its default theme and a light one.
# Usage: tools/make_gallery.sh [CODALUME [NAME...]]   (the names make only those pictures)
set -euo pipefail
cd "$(dirname "$0")/.."
codalume=${1:-build/src/codalume}
only=("${@:2}")
out=docs/gallery
mkdir -p "$out"
prefs=$(mktemp -d)
trap 'rm -rf "$prefs"' EXIT

# name, sample, then the JSON members that differ from the defaults
looks=(
  'swift-dark|hello.swift|'
  'cpp-dark|ring_buffer.cpp|'
  'javascript-gradient-diagonal|server.js|"useGradientBackground":true,"backgroundColorR":0.16,"backgroundColorG":0.11,"backgroundColorB":0.36,"gradientEndColorR":0.05,"gradientEndColorG":0.42,"gradientEndColorB":0.55,"gradientDirection":"diagonal","authorName":"Lin Wei","email":"lin@example.org","blog":"lin.dev"'
  'python-light-author|fetch.py|"backgroundColorR":0.97,"backgroundColorG":0.96,"backgroundColorB":0.93,"authorName":"张伟","wechat":"zhangwei_dev","fontStyle":"JetBrains","fontSize":15'
  'html-gradient-horizontal|card.html|"useGradientBackground":true,"backgroundColorR":0.98,"backgroundColorG":0.85,"backgroundColorB":0.7,"gradientEndColorR":0.72,"gradientEndColorG":0.85,"gradientEndColorB":0.98,"gradientDirection":"horizontal"'
  'json-gradient-vertical|package.json|"useGradientBackground":true,"backgroundColorR":0.1,"backgroundColorG":0.1,"backgroundColorB":0.14,"gradientEndColorR":0.24,"gradientEndColorG":0.2,"gradientEndColorB":0.36,"gradientDirection":"vertical"'
  'text-light|notes.txt|"backgroundColorR":1,"backgroundColorG":1,"backgroundColorB":1,"authorName":"Ops team","showAuthorName":true'
  # The optional parts of the card, one at a time and all three together.
  'cpp-line-numbers|ring_buffer.cpp|"showLineNumbers":true'
  'python-window-controls|fetch.py|"backgroundColorR":0.97,"backgroundColorG":0.96,"backgroundColorB":0.93,"fontStyle":"JetBrains","showWindowControls":true'
  'swift-shadow|hello.swift|"useGradientBackground":true,"backgroundColorR":0.13,"backgroundColorG":0.15,"backgroundColorB":0.22,"gradientEndColorR":0.2,"gradientEndColorG":0.12,"gradientEndColorB":0.3,"gradientDirection":"diagonal","showShadow":true'
  'javascript-all-parts|server.js|"useGradientBackground":true,"backgroundColorR":0.16,"backgroundColorG":0.11,"backgroundColorB":0.36,"gradientEndColorR":0.05,"gradientEndColorG":0.42,"gradientEndColorB":0.55,"gradientDirection":"diagonal","fontStyle":"JetBrains","authorName":"Lin Wei","showLineNumbers":true,"showWindowControls":true,"showShadow":true'
)
# One code three ways: the rules, the grammar library in its default theme, and in GitHub
# Light on GitHub's own code background (#F6F8FA), where the theme's colours were made to sit.
light='"highlighter":"grammar","theme":"GitHub Light","backgroundColorR":0.965,"backgroundColorG":0.973,"backgroundColorB":0.98'
for code in cpp:lru_cache.cpp go:store.go typescript:users.ts; do
    looks+=("${code%%:*}-rules|${code#*:}|"
            "${code%%:*}-grammar|${code#*:}|\"highlighter\":\"grammar\""
            "${code%%:*}-grammar-light|${code#*:}|$light")
done
defaults='"showPreview":true,"fontSize":14,"fontStyle":"VSCode","fontColor":"#FFFFFF","backgroundColor":"#1E1E1E","authorName":"","email":"","wechat":"","blog":"","startAtLogin":false,"saveToDownloads":true,"showAuthorName":true,"showEmail":true,"showWechat":true,"showBlog":true,"backgroundColorR":0.12,"backgroundColorG":0.12,"backgroundColorB":0.12,"useGradientBackground":false,"gradientEndColorR":0.2,"gradientEndColorG":0.2,"gradientEndColorB":0.3,"gradientDirection":"vertical"'

for look in "${looks[@]}"; do
    IFS='|' read -r name sample members <<<"$look"
    if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $name "* ]]; then
        continue
    fi
    /usr/bin/python3 - "$defaults" "$members" >"$prefs/$name.json" <<'PY'
import json, sys
record = json.loads("{" + sys.argv[1] + "}")
record.update(json.loads("{" + sys.argv[2] + "}") if sys.argv[2] else {})
print(json.dumps(record, ensure_ascii=False, separators=(",", ":")))
PY
    "$codalume" render "docs/samples/$sample" --preferences "$prefs/$name.json" -o "$out/$name.png" 2>/dev/null
done
