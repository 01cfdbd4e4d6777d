#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Mutation check: does the unit suite notice small faults? Each mutant below is one exact
# text replacement in one source file. The tree is copied (tracked files as they are in the
# work tree), built once, and then every mutant is applied to the copy, rebuilt, run against
# the unit tests (stopping at the first failure) and reverted. Prints killed / total and the
# mutants no test caught.
# Usage: tools/mutants.sh [NAME-REGEX]   (only the mutants whose name matches, e.g. 'render|saving')
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test >/dev/null
only=${1:-}

# Name, file, text and replacement, separated by tabs. The text must occur exactly once in
# the file; the replacement may be empty.
mutants=$(cat <<'EOF'
render: readability threshold 3:1 becomes 2:1	src/render/code_image.cpp	kReadableContrast = 3.0;	kReadableContrast = 2.0;
render: the finished trace names the author width as the code width	src/render/code_image.cpp	formatNumber(data.codeWidth));	formatNumber(data.authorWidth));
render: the shadow drops up instead of down	src/render/card_shadow.cpp	drop_(drop),	drop_(-drop),
render: pictures as tall as the encoder allows are refused	src/render/code_image.h	maxHeightPixels = 1'000'000;	maxHeightPixels = 100'000;
highlight: numbers starting with 0 are not numbers	src/render/highlighter.cpp	QStringLiteral(R"(\b[0-9]+\b)")	QStringLiteral(R"(\b[1-9][0-9]*\b)")
highlight: comments lose their gray	src/render/highlighter.cpp	return rgbF(0.5, 0.5, 0.5);	return rgbF(0.5, 0.5, 0.55);
detect: "def " alone means Python	src/render/language.cpp	{{u"def ", u":"}, {}, u"Python"},	{{u"def "}, {}, u"Python"},
detect: JSON no longer excludes semicolons	src/render/language.cpp	{{u"{", u"}", u":"}, {u";"}, u"JSON"},	{{u"{", u"}", u":"}, {}, u"JSON"},
preferences: the shadow becomes a required member	src/settings/preferences_file.cpp	visit("showShadow", p.showShadow, Presence::optional);	visit("showShadow", p.showShadow);
preferences: a member read under another name	src/settings/preferences_file.cpp	visit("wechat", p.wechat);	visit("weChat", p.wechat);
saving: the final rename may replace a file	src/platform/save_file.cpp	RENAME_NOREPLACE) == 0	0) == 0
saving: numbered names use a dash	src/platform/save_file.cpp	QStringLiteral("_") + QString::number(attempt)	QStringLiteral("-") + QString::number(attempt)
saving: a live save's locked temporary counts as a leftover	src/platform/temporary_files.cpp	::flock(fd, LOCK_EX | LOCK_NB) == 0 &&	true &&
saving: a stranger's link in /tmp is followed	src/platform/file_links.cpp	(S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH)	(S_ISVTX | S_IWOTH)) == 0
diagnostics: the report leaves out the error's code	src/app/status_bar_controller_saving.cpp	add(QStringLiteral("错误代码: ") + QString::number(error.code));	
capture: no reason line when a picture cannot be made	src/app/status_bar_controller_capture.cpp	QStringLiteral("无法从代码创建图片\n") + reason);	QStringLiteral("无法从代码创建图片\n") + reason.left(0));
capture: the preview's "保存图片" does not save	src/app/status_bar_controller_capture.cpp	if (platform_.runAlert(alert) == firstButtonReturn) {	if (platform_.runAlert(alert) != firstButtonReturn) {
hotkey: auto-repeat starts captures	src/app/global_hotkey_monitor.cpp	if (repeat || busy_) {	if ((repeat && false) || busy_) {
settings: the save sequence reports success whatever happened	src/settings/settings_window.cpp	platform.runAlert(confirmation(p, directionMap, saved, saveError, keptAs));	platform.runAlert(confirmation(p, directionMap, saved || true, saveError, keptAs));
command line: wrong usage exits 1	src/cli/cli.cpp	constexpr int exitUsage = 2;	constexpr int exitUsage = 1;
platform: a runtime folder others can write into is used	src/platform/single_instance.cpp	(info.st_mode & 022) == 0;	(info.st_mode & 002) == 0;
EOF
)

# Every mutant must apply before anything is built.
/usr/bin/python3 - "$mutants" <<'PY'
import sys
bad = []
for row in sys.argv[1].splitlines():
    name, path, text, _ = (row.split("\t") + [""])[:4]
    found = open(path, encoding="utf-8").read().count(text)
    if found != 1:
        bad.append(f"{name}: '{text}' occurs {found} times in {path}, not once")
sys.exit("\n".join(bad) if bad else 0)
PY

copy=${CODALUME_MUTANTS_DIR:-$(mktemp -d /tmp/codalume-mutants.XXXXXX)}
mkdir -p "$copy"
# The copy is laid out as the work tree is (sources at its top, build/ inside), so a compiler
# cache configured for both finds the objects it already has.
git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$copy"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$copy" -B "$copy/build" -G Ninja -DCODALUME_BUILD_TESTS=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null

build() { cmake --build "$copy/build" -- -j"$(nproc)" >"$copy/build/mutant-build.log" 2>&1; }
unit() {
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$copy/build" -L unit -j"$(nproc)" \
        --stop-on-failure --timeout 300 >"$copy/build/mutant-ctest.log" 2>&1
}

echo "== building the copy in $copy"
build || { tail -20 "$copy/build/mutant-build.log"; exit 1; }
echo "== the unit tests without a mutant"
unit || { tail -20 "$copy/build/mutant-ctest.log"; echo "mutants.sh: the unit tests fail without a mutant"; exit 1; }

total=0
killed=0
survivors=()
while IFS=$'\t' read -r name file text replacement; do
    [ -n "$name" ] || continue
    [ -z "$only" ] || [[ $name =~ $only ]] || continue
    target="$copy/$file"
    cp "$target" "$copy/build/original"
    /usr/bin/python3 - "$target" "$text" "$replacement" <<'PY'
import sys
path, text, replacement = sys.argv[1:4]
source = open(path, encoding="utf-8").read()
open(path, "w", encoding="utf-8").write(source.replace(text, replacement))
PY
    total=$((total + 1))
    if ! build; then
        verdict="does not build (mend the table)"
        survivors+=("$name (does not build)")
    elif unit; then
        verdict="SURVIVED"
        survivors+=("$name")
    else
        verdict="killed"
        killed=$((killed + 1))
    fi
    printf '%-40s %s\n' "$name" "$verdict"
    cp "$copy/build/original" "$target"
done <<<"$mutants"

build >/dev/null || true
echo "== killed $killed / $total"
for name in "${survivors[@]}"; do
    echo "survivor: $name"
done
[ -n "${CODALUME_MUTANTS_DIR:-}" ] || rm -rf "$copy"
[ "$killed" -eq "$total" ]
