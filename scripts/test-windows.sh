#!/usr/bin/env bash
# Cross-builds the toolkit-free part of Lintara (core, Windows platform layer, their tests
# and the version resource) for 64-bit Windows with mingw-w64, and runs every test under
# Wine in a throw-away Wine prefix, with no display. Installs nothing: scripts/deps.sh
# provides mingw-w64 and wine. LINTARA_WINDOWS_BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${LINTARA_WINDOWS_BUILD:-build/windows}
for tool in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres wine wineboot wineserver; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool: install mingw-w64 and wine" >&2
        exit 1
    fi
done

# A fresh prefix every run: no state from earlier runs, nothing left behind. Code page
# 1252, as the settings files of the tests are written in it; no Mono or Gecko install.
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# The server keeps its socket in a folder named after the prefix's device and inode,
# inside /tmp/.wine-UID or a folder of its own under /tmp, depending on the build.
read -r device inode < <(stat -c '%d %i' "$WINEPREFIX")
server_name=$(printf 'server-%x-%x' "$device" "$inode")
cleanup() {
    # Killed servers and their processes go asynchronously: wait, or one of them makes
    # the folder again after it was removed.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    local folder
    for folder in /tmp/.wine-"$(id -u)"/"$server_name" /tmp/wine-*/"$server_name"; do
        [ -d "$folder" ] || continue
        rm -rf "$folder"
        rmdir "$(dirname "$folder")" 2>/dev/null || true
    done
}
trap cleanup EXIT

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DLINTARA_BUILD_GUI=OFF
cmake --build "$build" -j"$(nproc)"

wineboot -i >/dev/null 2>&1 || true
wineserver -w
# One server for the whole run: left to itself it quits after a few idle seconds, and
# tests started in parallel then race to start the next one. Its background services
# start here, so no test's output stays open behind them.
wineserver -p
wineboot >/dev/null 2>&1 </dev/null || true

ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
