#!/usr/bin/env bash
# The test command: installs what is missing, builds from scratch into
# build/ (or $BUILD_DIR), and runs every test under Wine in a fresh prefix
# inside the build tree; then runs the unit tests once more under Wine's heap
# checking and fails on any heap error it reports.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-posix.cmake" >/dev/null
cmake --build "$build"

run_tests() {
  cd "$build"
  status=0
  echo "== unit tests under Wine's heap checking"
  WINEDEBUG=-all,err+heap,warn+heap ctest -L unit -j "$(nproc)" -V -O heapcheck.log >/dev/null 2>&1 || status=1
  grep -E 'tests passed|tests failed' heapcheck.log | tail -n1 | sed 's/^/heap check run: /' || true
  if grep -nE '(err|warn):heap' heapcheck.log; then
    echo "HEAP ERRORS reported (see $build/heapcheck.log)"
    status=1
  else
    echo "heap check: no heap errors"
  fi
  echo "== all tests"
  ctest --output-on-failure -j "$(nproc)" --timeout 600 "$@" || status=1
  return $status
}
export -f run_tests
export build
"$root/scripts/wine-session.sh" "$build/wineprefix" --fresh --virtual-display -- bash -c 'run_tests "$@"' run_tests "$@"
