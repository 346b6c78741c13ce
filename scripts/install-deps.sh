#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# Runs apt-get update at most once. Needs root (or sudo).
set -eu
packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libssl-dev
          g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth fonts-wqy-microhei
          imagemagick locales)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
