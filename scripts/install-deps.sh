#!/usr/bin/env bash
# Installs what the build, the tests and the launcher need on Debian 12.
# Does nothing when everything is there already.
set -euo pipefail
packages=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine wine64 xvfb xauth x11-utils imagemagick fonts-ipafont-gothic fonts-liberation fp-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
