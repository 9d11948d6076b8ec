#!/usr/bin/env bash
# Installs the Debian packages Lintara needs that are not there yet.
# Usage: scripts/deps.sh [build|run|test|bench]
#   run:   the build, and the client programs of the sample Lintara.ini and the fixed
#          commands, so that every connection type works
#   test:  run, and what the test stages use (the clients stage's servers among them)
set -euo pipefail

packages=(build-essential cmake pkg-config libgtest-dev nlohmann-json3-dev qt6-base-dev libgl-dev)
clients=(freerdp2-x11 tigervnc-viewer telnet openssh-client lftp xterm iputils-ping xdg-utils
    libglib2.0-bin gvfs gvfs-backends)
servers=(openssh-server inetutils-telnetd xrdp tigervnc-standalone-server python3-pyftpdlib
    samba libnss-wrapper curl openssl xclip)
case "${1:-build}" in
run) packages+=("${clients[@]}") ;;
test) packages+=(clang-format clang libclang-rt-14-dev desktop-file-utils appstream xdg-utils
          mingw-w64 wine wine64 fonts-wine zip
          xvfb xdotool python3 python3-xlib dbus-daemon xfonts-base xterm terminator terminology
          "${clients[@]}" "${servers[@]}") ;;
bench) packages+=(xvfb libx11-dev libxtst-dev mingw-w64 wine wine64 fonts-wine) ;;
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
