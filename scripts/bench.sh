#!/usr/bin/env bash
# Builds the benchmarks into build/ (or $BUILD_DIR) and runs every *_bench.exe
# of the build tree inside one Wine session, printing what each reports.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-posix.cmake" >/dev/null
cmake --build "$build" --target bench

run_benches() {
  status=0
  mapfile -t exes < <(find "$build" -path "$build/wineprefix" -prune -o -name '*_bench.exe' -type f -print | sort)
  if [ ${#exes[@]} -eq 0 ]; then
    echo "no benchmarks found in $build"
    return 0
  fi
  for exe in "${exes[@]}"; do
    echo "== $(basename "$exe" .exe)"
    (cd "$(dirname "$exe")" && wine "./$(basename "$exe")") || { echo "$(basename "$exe") failed"; status=1; }
  done
  return $status
}
export -f run_benches
export build
"$root/scripts/wine-session.sh" "$build/wineprefix" --virtual-display -- bash -c run_benches
