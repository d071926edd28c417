#!/usr/bin/env bash
# Installs what is missing on Debian 12, for the given uses:
#   scripts/install-deps.sh [build] [run] [test]
# build: the cross compiler, CMake, Ninja and the help compiler;
# run:   Wine with its fonts, a virtual X server and the X tools;
# test:  what only the tests need, besides the build and run packages.
# Without arguments, everything. Does nothing when everything is there.
set -euo pipefail
build=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools fp-utils)
run=(wine wine64 fonts-wine xvfb xauth x11-utils imagemagick fonts-ipafont-gothic fonts-liberation)
test=(googletest openbox xdotool)
[ $# -eq 0 ] && set -- build run test
packages=()
for use in "$@"; do
  case "$use" in
    build) packages+=("${build[@]}") ;;
    run) packages+=("${run[@]}") ;;
    test) packages+=("${build[@]}" "${run[@]}" "${test[@]}") ;;
    *) echo "install-deps.sh: unknown use: $use (build, run or test)" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
