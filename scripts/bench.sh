#!/usr/bin/env bash
# Start-up, memory and Connect-to-exec of Lintara beside the bare Qt floor, on a
# private Xvfb display (or $DISPLAY when set); then the same for Lintara.exe beside a
# plain Win32 floor under Wine, in one prefix with one running server, and beside that
# floor carrying Lintara.exe's manifest.
# Usage: scripts/bench.sh [--runs N]   (LINTARA_BENCH=linux or windows picks one half)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh bench
# Without a session's runtime folder Qt makes one in /tmp and leaves it: this run's own
# goes when the run ends.
runtime=
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    runtime=$(mktemp -d)
    export XDG_RUNTIME_DIR=$runtime
fi
xvfb=""
# What the run started, ended in this order: the X server, Wine's prefix, the folder.
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb"
        wait "$xvfb" 2>/dev/null || true
    fi
    if declare -F _wine_cleanup >/dev/null; then _wine_cleanup; fi
    if [ -n "$runtime" ]; then rm -rf "$runtime"; fi
}
trap cleanup EXIT
which=${LINTARA_BENCH:-linux windows}

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DLINTARA_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j"$(nproc)" --target Lintara lintara_floor lintara_bench
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"

if [[ " $which " == *" linux "* ]]; then
    # The client stamps its time at its entry point; elsewhere than on x86-64 the tests'
    # recorder does, once its C library has started.
    if [ "$(uname -m)" = x86_64 ]; then
        cmake --build build/bench -j"$(nproc)" --target lintara_stamp_linux
        client=build/bench/bench/lintara_stamp_linux
    else
        cmake -S . -B build/bench-tools -DCMAKE_BUILD_TYPE=Release -DLINTARA_BUILD_GUI=OFF >/dev/null
        cmake --build build/bench-tools -j"$(nproc)" --target lintara_recorder
        client=build/bench-tools/tests/lintara_recorder
    fi
    build/bench/bench/lintara_bench --lintara build/bench/app/Lintara \
        --floor build/bench/bench/lintara_floor --recorder "$client" "$@"
fi

if [[ " $which " == *" windows "* ]]; then
    win=build/bench-windows
    cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DLINTARA_BUILD_TESTS=OFF >/dev/null
    cmake --build "$win" -j"$(nproc)" --target Lintara lintara_floor_win32 \
        lintara_floor_win32_manifest lintara_stamp
    exe=$(find "$win" -name Lintara.exe -print -quit)
    echo "Lintara.exe: $(stat -c %s "$exe") bytes (limit 524288)"
    source scripts/wine_prefix.sh
    # Sourcing it set its own trap: this one ends its prefix too.
    trap cleanup EXIT
    # The prefix's desktop is made on the display the programs show on: one made without
    # a display has no graphics driver.
    if [ -z "${DISPLAY:-}" ]; then
        for n in $(seq 90 190); do [ -e /tmp/.X11-unix/X$n ] || break; done
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        export DISPLAY=":$n"
        for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
    fi
    wine_start_server display
    # No window manager here: Wine frames and hides its windows itself.
    wine_desktop_settings
    recorder=$(find "$win" -name lintara_stamp.exe -print -quit)
    # The second floor carries Lintara.exe's manifest: what its themed controls and DPI
    # awareness cost, apart from Lintara.exe's own work.
    for floor in lintara_floor_win32 lintara_floor_win32_manifest; do
        if [ $floor = lintara_floor_win32_manifest ]; then
            echo "Against the Win32 floor carrying Lintara.exe's manifest:"
        fi
        build/bench/bench/lintara_bench --wine "$(command -v wine)" --lintara "$exe" \
            --floor "$(find "$win" -name $floor.exe -print -quit)" --recorder "$recorder" "$@"
    done
fi
