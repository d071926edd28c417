#!/usr/bin/env bash
# Makes the zip for Windows users from this source tree:
#   scripts/package.sh
# Installs what the build needs (scripts/install-deps.sh build), builds the
# programs and their help files into build-package/ (or $PACKAGE_BUILD_DIR),
# without the tests, makes the zip and prints its path. The programs are
# built as the tests build them; the zip holds them without debugging
# information.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PACKAGE_BUILD_DIR:-$root/build-package}
"$root/scripts/install-deps.sh" build
echo "building into $build"
log=$build/package-build.log
mkdir -p "$build"
# A build folder made before is built on as it is configured.
configure() {
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-posix.cmake" -DKESTOVAR_TESTS=OFF
}
if ! { configure && cmake --build "$build" --target package; } >"$log" 2>&1; then
  tail -n 30 "$log"
  echo "the build failed (whole log: $log)" >&2
  exit 1
fi
zip=$(ls "$build"/kestovar-*-win64.zip)
for help in dovrak pelnor; do
  cmake -E tar tf "$zip" | grep -q "$help.chm" || echo "warning: $help.chm is not in the zip" >&2
done
echo "$zip"
