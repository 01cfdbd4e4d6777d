#!/bin/bash
# SPDX-License-Identifier: MIT
# The Debian package made from the build folder: lintian finds nothing at warning level or
# above, the desktop entry and AppStream metadata validate as installed, and the files a desktop
# looks up by the application ID are where it looks.
set -u
build=${1:?usage: $0 BUILD-FOLDER}
for tool in cpack dpkg-deb lintian appstreamcli desktop-file-validate; do
    command -v "$tool" >/dev/null ||
        { echo "SKIP: $tool is missing (tools/deps.sh test installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $1"; failures=$((failures + 1)); }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1; }
deb=$(echo "$work"/*.deb)
dpkg-deb -x "$deb" "$work/root"
app=io.codalume.Codalume

lintian --fail-on error,warning "$deb" || fail "lintian"
appstreamcli validate --strict --no-net "$work/root/usr/share/metainfo/$app.metainfo.xml" ||
    fail "appstreamcli validate"
# It exits 0 after hints: any output counts.
out=$(desktop-file-validate "$work/root/usr/share/applications/$app.desktop" 2>&1)
[ -z "$out" ] || fail "desktop-file-validate: $out"

listed=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in share/applications/$app.desktop share/metainfo/$app.metainfo.xml \
    share/icons/hicolor/scalable/apps/$app.svg \
    share/icons/hicolor/symbolic/apps/$app-symbolic.svg share/man/man1/codalume.1.gz \
    share/doc/codalume/changelog.Debian.gz; do
    grep -qx "\./usr/$file" <<<"$listed" || fail "the package lacks /usr/$file"
done
[ "$failures" -eq 0 ] && echo "ok: $(basename "$deb") is lint-free and complete"
exit $((failures > 0))
