#!/usr/bin/env bash
# Installs what is missing, builds Lintara and starts it. Arguments go to Lintara
# (for example lintara://myhost/).
set -euo pipefail
cd "$(dirname "$0")/.."

# The build's packages and the clients of the sample settings, in one install.
scripts/deps.sh run

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j"$(nproc)"

exe=build/release/app/Lintara
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Lintara is built ($exe) but cannot start: there is no display (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    exit 1
fi
exec "$exe" "$@"
