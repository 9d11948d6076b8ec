#!/usr/bin/env bash
# Builds Lintara and runs every test: the plain build, the built program driven on a
# private X server (with recorders, then with real clients against real servers on
# 127.0.0.1), the same tests under AddressSanitizer + UndefinedBehaviorSanitizer,
# bounded fuzzing runs, and the Windows build under Wine. GUI tests use Qt's offscreen
# platform; the desktop stages start a private X server of their own, so no display is
# needed.
# LINTARA_STAGES picks stages (default: "plain e2e clients sanitize fuzz windows");
# FUZZ_SECONDS bounds fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test

export QT_QPA_PLATFORM=offscreen
# Without a session's runtime folder Qt makes one in /tmp and leaves it; this run's own
# folder goes when the run ends.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
jobs=$(nproc)
stages=${LINTARA_STAGES:-plain e2e clients sanitize fuzz windows}

stage() { echo; echo "=== $* ==="; }

for s in $stages; do
    case $s in
    plain)
        stage "build and test"
        cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug
        cmake --build build/test -j"$jobs"
        ctest --test-dir build/test --output-on-failure -j"$jobs"
        ;;
    e2e)
        stage "end to end: the built program on a private Xvfb, real clicks and keys"
        cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug
        cmake --build build/test -j"$jobs" --target Lintara lintara_recorder
        /usr/bin/python3 tests/e2e/lintara_e2e.py build/test/app/Lintara \
            build/test/tests/lintara_recorder resources/Lintara.ini
        ;;
    clients)
        stage "real clients against real servers on 127.0.0.1, with the sample settings"
        cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug
        cmake --build build/test -j"$jobs" --target Lintara
        # Its servers (sshd, smbd) and the ping watch run as root.
        as_root=()
        [ "$(id -u)" -ne 0 ] && as_root=(sudo)
        "${as_root[@]}" /usr/bin/python3 tests/clients/lintara_clients.py build/test/app/Lintara \
            resources/Lintara.ini
        ;;
    sanitize)
        stage "build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
        cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DLINTARA_SANITIZE=ON
        cmake --build build/sanitize -j"$jobs"
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
            LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            ctest --test-dir build/sanitize --output-on-failure -j"$jobs"
        ;;
    fuzz)
        stage "fuzzing (${FUZZ_SECONDS:-30}s a target)"
        scripts/fuzz.sh
        ;;
    windows)
        stage "cross-build for Windows and test under Wine"
        scripts/test-windows.sh
        ;;
    *)
        echo "unknown stage: $s" >&2
        exit 2
        ;;
    esac
done
