#!/bin/bash
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
for pkg in "$@"; do
    case "$pkg" in -*) continue ;; esac
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
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/bash
echo "$*" >>"$STUB_DIR/apt-get.log"
STUB
printf '#!/bin/bash\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*

# The packages of a group, as deps.sh lists them.
group() {
    bash -c "source <(awk -v name='$1=(' 'index(\$0, name) == 1 {on = 1} on {print} on && /\\)\$/ {exit}' '$deps')
             echo \${$1[@]}"
}
build=$(group build)

# case NAME GROUP EXPECTED-INSTALL: the installed and removed files are set up by the caller.
case_() {
    local name=$1 groups=$2 expected=$3 out
    rm -f "$work/apt-get.log"
    out=$(STUB_DIR=$work PATH="$work/bin:$PATH" bash "$deps" $groups 2>&1)
    local status=$? installs
    installs=$(grep -- '^install ' "$work/apt-get.log" 2>/dev/null | tr ' ' '\n' |
               grep -v -e '^-' -e '^install$' | sort | tr '\n' ' ')
    expected=$(tr ' ' '\n' <<<"$expected" | grep -v '^$' | sort | tr '\n' ' ')
    if [ $status -eq 0 ] && [ "$installs" = "$expected" ] &&
        { [ -z "$expected" ] || grep -qx 'update -qq' "$work/apt-get.log"; }; then
        echo "ok: $name"
    else
        echo "FAILED: $name (exit $status; installed [$installs], expected [$expected])"
        echo "$out" | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}

# Fresh machine: nothing known, so dpkg-query exits 1 and everything is installed.
: >"$work/installed"; : >"$work/removed"
case_ "fresh machine: every package of the group" build "$build"

# Some installed, one removed (only its configuration left), the rest unknown.
tr ' ' '\n' <<<"$build" | sed -n '1,5p' >"$work/installed"
tr ' ' '\n' <<<"$build" | sed -n '6p' >"$work/removed"
case_ "partly installed: exactly the missing ones" build "$(tr ' ' '\n' <<<"$build" | sed -n '6,$p')"

# Everything there: apt-get is not run at all.
tr ' ' '\n' <<<"$build $(group test)" >"$work/installed"; : >"$work/removed"
case_ "all installed: apt-get untouched" "build test" ""
[ ! -e "$work/apt-get.log" ] || { echo "FAILED: apt-get ran"; failures=$((failures + 1)); }

# Groups accumulate and share packages: each is asked for once.
: >"$work/installed"
case_ "two groups: the union, once each" "build bench" \
    "$(tr ' ' '\n' <<<"$build $(group bench)" | sort -u | tr '\n' ' ')"

if STUB_DIR=$work PATH="$work/bin:$PATH" bash "$deps" nonsense >/dev/null 2>&1; then
    echo "FAILED: an unknown group is accepted"
    failures=$((failures + 1))
else
    echo "ok: an unknown group is refused"
fi
exit $((failures > 0))
