#!/usr/bin/env bash
# Start-up, memory and Connect-to-exec of Lintara beside the bare Qt floor, on a
# private Xvfb display (or $DISPLAY when set). Usage: scripts/bench.sh [--runs N]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh bench

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DLINTARA_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j"$(nproc)" --target Lintara lintara_floor lintara_bench
cmake -S . -B build/bench-tools -DCMAKE_BUILD_TYPE=Release -DLINTARA_BUILD_GUI=OFF >/dev/null
cmake --build build/bench-tools -j"$(nproc)" --target lintara_recorder

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
build/bench/bench/lintara_bench --lintara build/bench/app/Lintara --floor build/bench/bench/lintara_floor \
    --recorder build/bench-tools/tests/lintara_recorder "$@"
