#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Brings resources/translations/codalume_en.ts up to date with the window texts in src/ (new
# texts arrive unfinished, for a translator; vanished ones are dropped). Then fill in the
# English with Qt Linguist or an editor.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh build
/usr/lib/qt6/bin/lupdate -silent -locations none -no-obsolete -source-language zh_CN \
    -target-language en src -ts resources/translations/codalume_en.ts
