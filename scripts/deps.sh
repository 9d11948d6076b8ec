#!/usr/bin/env bash
# Installs the Debian packages Lintara needs that are not there yet.
# Usage: scripts/deps.sh [build|test|bench]   (test and bench add what only they use)
set -euo pipefail

packages=(build-essential cmake pkg-config libgtest-dev nlohmann-json3-dev qt6-base-dev libgl-dev)
case "${1:-build}" in
test) packages+=(clang-format clang libclang-rt-14-dev desktop-file-utils appstream xdg-utils
          mingw-w64 wine wine64 fonts-wine zip
          xvfb xdotool python3 python3-xlib dbus-daemon xfonts-base xterm terminator terminology) ;;
bench) packages+=(xvfb libx11-dev libxtst-dev mingw-w64 wine wine64) ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
# sudo drops the environment, so the variable goes through env.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
