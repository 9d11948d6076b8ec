#!/usr/bin/env bash
# Cross-builds Lintara for 64-bit Windows with mingw-w64 (the release build that ships:
# Lintara.exe, the core, the platform layer, their tests) and runs every test under Wine
# in one throw-away Wine prefix with one Wine server, on a private Xvfb: the unit suites,
# the Win32 renderer's geometry, and Lintara.exe end to end with real clicks and keys.
# Installs nothing: scripts/deps.sh provides mingw-w64, wine, fonts-wine, Xvfb, xdotool.
# LINTARA_WINDOWS_BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${LINTARA_WINDOWS_BUILD:-build/windows}
for tool in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres wine wineboot wineserver Xvfb \
    xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool: install mingw-w64, wine, xvfb and xdotool" >&2
        exit 1
    fi
done

# A fresh prefix every run: no state from earlier runs, nothing left behind (the
# settings files of the tests are written in code page 1252).
source scripts/wine_prefix.sh
unset WAYLAND_DISPLAY
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"

# One display for the whole stage, so every Wine process (and Wine's desktop process,
# which the first window starts) draws on the same screen.
display=
for n in $(seq 90 189); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
        display=:$n
        break
    fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap '_wine_cleanup; kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.05
done
export DISPLAY=$display

wine_start_server display
wine_desktop_settings

ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

/usr/bin/python3 tests/e2e/lintara_wine_e2e.py "$build/gui/win32/Lintara.exe" \
    "$build/tests/lintara_recorder_win32.exe"
