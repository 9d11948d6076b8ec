#!/usr/bin/env bash
# Builds Lintara and runs every test. GUI tests use Qt's offscreen platform, so no
# display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug
cmake --build build/test -j"$jobs"
ctest --test-dir build/test --output-on-failure -j"$jobs"
