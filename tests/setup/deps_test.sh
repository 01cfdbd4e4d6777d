#!/bin/bash
# SPDX-License-Identifier: MIT
# tools/deps.sh against stand-ins for dpkg-query and apt-get: it must ask apt-get for exactly
# the packages that are missing, also when dpkg-query exits 1 because some are unknown (as it
# does on every fresh machine), and nothing at all when everything is there.
set -u
deps=${1:?usage: $0 /path/to/tools/deps.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
failures=0

# dpkg-query -W -f=FORMAT PACKAGE...: "installed" lists the installed packages, "removed"
# those whose configuration files are all that is left; any other package is unknown.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/bin/bash
status=0
for pkg in "${@:3}"; do
    if grep -qx "$pkg" "$STUB_DIR/installed"; then
        echo "$pkg install ok installed"
    elif grep -qx "$pkg" "$STUB_DIR/removed"; then
        echo "$pkg deinstall ok config-files"
    else
        echo "dpkg-query: no packages found matching $pkg" >&2
        status=1
    fi
done
exit $status
STUB
printf '#!/bin/bash\necho "$*" >>"$STUB_DIR/apt-get.log"\n' >"$work/bin/apt-get"
chmod +x "$work/bin/"*
deps_sh() { STUB_DIR=$work PATH="$work/bin:$PATH" bash "$deps" "$@"; }

# The packages of a group, one a line, as deps.sh lists them.
group() {
    bash -c "source <(awk -v name='$1=(' 'index(\$0, name) == 1 {on = 1} on {print} on && /\\)\$/ {exit}' '$deps')
             printf '%s\n' \${$1[@]}"
}
build=$(group build)

# case_ NAME GROUPS EXPECTED-INSTALL...: the installed and removed files are set up by the caller.
case_() {
    local name=$1 groups=$2 expected installs out
    expected=$(printf '%s\n' "${@:3}" | sort -u | xargs)
    rm -f "$work/apt-get.log"
    if out=$(deps_sh $groups 2>&1); then
        installs=$(grep -s '^install ' "$work/apt-get.log" | tr ' ' '\n' |
            grep -v -e '^-' -e '^install$' | sort | xargs)
        # Packages to install need a fresh index first; none to install means no apt-get at all.
        if [ "$installs" = "$expected" ] && if [ -n "$expected" ]; then
            grep -qx 'update -qq' "$work/apt-get.log"
        else
            [ ! -e "$work/apt-get.log" ]
        fi; then
            echo "ok: $name"
            return
        fi
    fi
    echo "FAILED: $name (installed [${installs:-}], expected [$expected])"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
}

: >"$work/installed"; : >"$work/removed"
case_ "fresh machine: every package of the group" build $build
# Some installed, one removed (only its configuration left), the rest unknown.
sed -n '1,5p' <<<"$build" >"$work/installed"
sed -n '6p' <<<"$build" >"$work/removed"
case_ "partly installed: exactly the missing ones" build $(sed -n '6,$p' <<<"$build")
printf '%s\n' "$build" "$(group test)" >"$work/installed"; : >"$work/removed"
case_ "all installed: apt-get is not run at all" "build test"
: >"$work/installed"
case_ "two groups share packages: the union, once each" "build bench" $build $(group bench)

if deps_sh nonsense >/dev/null 2>&1; then
    echo "FAILED: an unknown group is accepted"
    failures=$((failures + 1))
else
    echo "ok: an unknown group is refused"
fi
exit $((failures > 0))
