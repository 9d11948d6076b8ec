#!/usr/bin/env bash
# Builds the release Lintara.exe with mingw-w64 and packs it with the Windows sample
# settings file: build/Lintara-<version>-win64.zip. A Windows user unpacks both files
# into any folder (a USB stick will do) and starts Lintara.exe.
# LINTARA_PACKAGE_BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${LINTARA_PACKAGE_BUILD:-build/package-windows}
for tool in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres zip; do
    if ! command -v "$tool" >/dev/null; then
        echo "missing $tool: install mingw-w64 and zip" >&2
        exit 1
    fi
done
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DLINTARA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target Lintara

version=$(sed -n 's/^project(lintara VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package=$PWD/build/Lintara-$version-win64.zip
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
cp "$build/gui/win32/Lintara.exe" resources/windows/Lintara.ini "$staging/"
rm -f "$package"
# Stored without folders or extra attributes: two files side by side.
(cd "$staging" && zip -q -X "$package" Lintara.exe Lintara.ini)
echo "$package: $(stat -c %s "$build/gui/win32/Lintara.exe") bytes of Lintara.exe"
unzip -l "$package"
