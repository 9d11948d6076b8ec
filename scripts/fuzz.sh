#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and the sanitizers, and runs each one for a
# bounded time (FUZZ_SECONDS, default 30) from the seed corpora in tests/fuzz/corpus.
# Fails on any crash, leak, hang or broken property; the input is left in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLINTARA_FUZZ=ON -DLINTARA_SANITIZE=ON -DLINTARA_BUILD_GUI=OFF -DLINTARA_BUILD_TESTS=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)"

for target in ini port_text command_line launch; do
    work=build/fuzz/corpus-$target
    mkdir -p "$work"
    log=build/fuzz/fuzz_$target.log
    echo "fuzz_$target: ${seconds}s"
    if ! (cd build/fuzz && ./tests/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 "corpus-$target" "../../tests/fuzz/corpus/$target") >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz_$target FAILED (see $log)"
        exit 1
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$log" | sed "s/^/  /"
done
