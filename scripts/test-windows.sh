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

# A fresh prefix every run: no state from earlier runs, nothing left behind (the
# settings files of the tests are written in code page 1252).
source scripts/wine_prefix.sh
unset DISPLAY WAYLAND_DISPLAY
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"

wine_start_server

ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
