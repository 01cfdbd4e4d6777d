#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages a task needs, and nothing when they are all there already.
# Usage: tools/deps.sh build|test|bench|package|fresh ...   (groups accumulate)
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libicu-dev
       nlohmann-json3-dev libpng-dev libdeflate-dev libxcb1-dev libxcb-xinput-dev libxkbcommon-dev
       libxkbcommon-x11-dev fonts-jetbrains-mono fonts-dejavu-core fonts-noto-cjk
       fonts-noto-color-emoji qt6-translations-l10n qt6-l10n-tools qtbase5-dev
       libkf5syntaxhighlighting-dev)
test=(libgtest-dev libgmock-dev xvfb xauth x11-utils x11-xkb-utils trayer openbox xclip xdotool
      imagemagick dbus-x11 python3-pil clang-14 libclang-rt-14-dev librsvg2-bin
      dbus-bin dbus-daemon libglib2.0-bin python3-dbus python3-gi kwin-wayland libgl1-mesa-dri
      xdg-desktop-portal xdg-desktop-portal-kde qt6-wayland wl-clipboard
      plasma-wayland-protocols libwayland-dev sway foot wtype grim jq
      lintian appstream desktop-file-utils dpkg-dev file)
bench=(python3-pygments python3-pil time optipng)
package=(dpkg-dev file)
fresh=(debootstrap git)

wanted=()
for group in "$@"; do
    case "$group" in
        build) wanted+=("${build[@]}") ;;
        test) wanted+=("${build[@]}" "${test[@]}") ;;
        bench) wanted+=("${build[@]}" "${bench[@]}") ;;
        package) wanted+=("${build[@]}" "${package[@]}") ;;
        fresh) wanted+=("${fresh[@]}") ;;
        *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
    esac
done

# One dpkg-query for all of them keeps the no-op case fast.
# dpkg-query exits 1 when any of them is unknown, which on a fresh machine is the normal case.
installed=$({ dpkg-query -W -f='${Package} ${Status}\n' "${wanted[@]}" 2>/dev/null || true; } |
            awk '$NF == "installed" {print $1}' | sed 's/:.*//' | sort -u)
missing=()
for pkg in $(printf '%s\n' "${wanted[@]}" | sort -u); do
    grep -qx "$pkg" <<<"$installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing Debian packages: ${missing[*]}" >&2
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "deps.sh: need root or sudo to install ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
