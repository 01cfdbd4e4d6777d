#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every window text has its English: a text added to or changed in the sources without a
# translation would show Chinese in an English session.
set -euo pipefail
source_dir=$1
lupdate=/usr/lib/qt6/bin/lupdate
[ -x "$lupdate" ] || { echo "SKIP: $lupdate missing (Debian package qt6-l10n-tools)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source_dir/resources/translations/codalume_en.ts" "$work/"
"$lupdate" -silent -locations none -no-obsolete -source-language zh_CN -target-language en \
    "$source_dir/src" -ts "$work/codalume_en.ts"
untranslated=$(/usr/bin/python3 - "$work/codalume_en.ts" <<'PY'
import sys, xml.etree.ElementTree as ET
for message in ET.parse(sys.argv[1]).iter("message"):
    translation = message.find("translation")
    if translation.get("type") == "unfinished" or not (translation.text or "").strip():
        print("  " + repr(message.find("source").text))
PY
)
if [ -n "$untranslated" ]; then
    echo "window texts without English (run tools/update_translations.sh, then translate):"
    echo "$untranslated"
    exit 1
fi
echo "every window text has its English"
