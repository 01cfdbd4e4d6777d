#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Proves the README's set-up from nothing: makes a minimal Debian 12 root with debootstrap,
# clones this repository's HEAD into it and runs the README's two commands there, exactly as
# written, printing how long each took. A machine that already has every package cannot see a
# missing install step; this can.
#
# Usage (as root): tools/fresh_check.sh [--keep]
#   --keep   leave the root (printed at the end) for a look inside
# Downloaded packages are kept in /var/cache/codalume-fresh-check, so a second run saves the
# download, never the installation.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
keep=false
[ "${1:-}" = --keep ] && keep=true

[ "$(id -u)" -eq 0 ] || { echo "fresh_check: run as root (it mounts and chroots)" >&2; exit 1; }
tools/deps.sh fresh

# The mirror and release this machine itself installs from.
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror=$(apt-cache policy | awk -v s=" $suite/main " 'index($0, s) {print $2; exit}')
[ -n "$suite" ] && [ -n "$mirror" ] || {
    echo "fresh_check: no $suite main mirror in this machine's apt sources" >&2
    exit 1
}

cache=/var/cache/codalume-fresh-check
mkdir -p "$cache/debootstrap" "$cache/apt"
root=$(mktemp -d /var/tmp/codalume-fresh.XXXXXX)
# mktemp makes it 0700; as the new system's "/" that would shut out every user but root (the
# tests run some programs as nobody).
chmod 755 "$root"
mounts=()

cleanup() {
    local pid i
    # Whatever the tests left running inside (bus daemons, servers) would hold the mounts.
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "${pid#/proc/}" 2>/dev/null
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -R -l "${mounts[i]}" 2>/dev/null || true
    done
    if $keep; then
        echo "fresh_check: root kept in $root"
    else
        rm -rf --one-file-system "$root"
    fi
}
trap cleanup EXIT

mount_into() {  # what, where inside the root, mount options...
    local target=$root$2
    mkdir -p "$target"
    mount "${@:3}" "$1" "$target"
    mounts+=("$target")
}

echo "== debootstrap --variant=minbase $suite from $mirror into $root"
debootstrap --variant=minbase --cache-dir="$cache/debootstrap" "$suite" "$root" "$mirror" \
    >"$root.debootstrap.log" 2>&1 || { tail -n 20 "$root.debootstrap.log" >&2; exit 1; }
rm -f "$root.debootstrap.log"
cp /etc/resolv.conf "$root/etc/resolv.conf"

mount_into proc /proc -t proc
mount_into sysfs /sys -t sysfs
mount_into /dev /dev --rbind
mount --make-rslave "$root/dev"  # unmounting inside must never reach the machine's own /dev
mount_into "$cache/apt" /var/cache/apt/archives --bind

commit=$(git rev-parse --short HEAD)  # the repository may move on while this runs
echo "== cloning $commit into /root/codalume"
git clone -q "$repo" "$root/root/codalume"
git -C "$root/root/codalume" checkout -q "$commit"

# One README command in the root, with a clean environment as a new user's shell has.
run_in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c "cd /root/codalume && $1"
}

status=0
results=()
for command in ./run.sh ./test.sh; do
    echo "== $command"
    start=$SECONDS
    if run_in_root "$command"; then
        result="exit 0"
    else
        result="exit $?"
        status=1
    fi
    results+=("$command: $result after $((SECONDS - start)) s")
    [ "$command" != ./run.sh ] || [ -s "$root/root/codalume/out/sample.png" ] || {
        results+=("./run.sh: no sample picture at out/sample.png")
        status=1
    }
done

echo
echo "== fresh_check on $commit, Debian $suite minbase"
printf '%s\n' "${results[@]}"
exit $status
