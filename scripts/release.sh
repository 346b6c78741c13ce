#!/usr/bin/env bash
# Builds the release: folderlock.exe optimised for size (with link-time
# optimisation) and stripped, packed with the README and the licence into
# build/release/folderlock-<version>.zip.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DFOLDERLOCK_TESTS=OFF \
      -DCMAKE_INTERPROCEDURAL_OPTIMIZATION=ON -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/release --target release_zip
ls -l build/release/folderlock.exe build/release/folderlock-*.zip
