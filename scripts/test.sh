#!/usr/bin/env bash
# Builds everything and runs every test:
#   build/native    portable core, native g++
#   build/sanitize  the same under AddressSanitizer + UndefinedBehaviorSanitizer
#   build/fuzz      libFuzzer targets (clang), each fuzzed for a bounded time
#   build/windows   folderlock.exe and the Windows tests (MinGW-w64), run under Wine
# Usage: scripts/test.sh
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

step() { printf '\n==== %s\n' "$*"; }

step "native build and tests"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native -j "$jobs"

step "sanitizer build and tests"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFOLDERLOCK_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize -j "$jobs"

step "fuzz build and bounded fuzzing"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DFOLDERLOCK_FUZZ=ON -DFOLDERLOCK_TESTS=ON >/dev/null
cmake --build build/fuzz -j "$jobs"
# The three fuzz targets run side by side for their fixed time, whatever the cores.
ctest --test-dir build/fuzz -j 4

step "Windows build and tests under Wine"
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/windows -j "$jobs"
ls -l build/windows/folderlock.exe
# One X display for every window test of the run.
if [ -z "${DISPLAY:-}" ]; then
    exec 3>/tmp/folderlock-xvfb.$$
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill $xvfb_pid 2>/dev/null || true; rm -f /tmp/folderlock-xvfb.$$' EXIT
    for _ in $(seq 50); do [ -s /tmp/folderlock-xvfb.$$ ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 /tmp/folderlock-xvfb.$$)"
fi
ctest --test-dir build/windows -j "$jobs"

step "all tests passed"
