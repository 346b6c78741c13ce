#!/usr/bin/env bash
# Performance figures of folderlock.exe, printed as a Markdown table (for the
# README). Measured, not asserted: no test fails on a figure.
#   start-up  from CreateProcess until the window is visible and the program
#             waits for input, folderlock.exe next to a minimal Win32 program
#             that only opens a window (scripts/bench/MinimalWindow.cpp), taking
#             turns under the same Wine; median of RUNS runs each, and the ratio;
#   lock      LockFolder, then UnlockFolder and RemovePasswordRecord, called
#             from the lock library directly (scripts/bench/LockBench.cpp) on
#             an empty folder and on one with 20,000 small files and a 1 GB
#             (sparse) file; median of LOCK_RUNS runs, and the ratio;
#   memory    peak working set of each program with its window open;
#   file      size of the release folderlock.exe and the DLLs it imports.
# Usage: scripts/bench.sh [BUILD_DIR]     (default build/bench)
#   RUNS=10 LOCK_RUNS=7; NO_BUILD=1 takes the programs in BUILD_DIR as they are.
# Builds with -DFOLDERLOCK_BENCH=ON (MinGW, MinSizeRel, as the release), runs
# under Wine in a throwaway prefix with the tests' settings, on a private Xvfb.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/bench}
runs=${RUNS:-10}
lock_runs=${LOCK_RUNS:-7}
cxx=x86_64-w64-mingw32-g++-posix
objdump=x86_64-w64-mingw32-objdump

if [ "${NO_BUILD:-0}" != 1 ]; then
    echo "building..." >&2
    if [ -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -DFOLDERLOCK_BENCH=ON >/dev/null
    else
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
              -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DFOLDERLOCK_BENCH=ON >/dev/null
    fi
    cmake --build "$build" --target folderlock e2e_tests lock_bench >/dev/null
    "$cxx" -O2 -static -s -municode -mwindows scripts/bench/MinimalWindow.cpp -o "$build/MinimalWindow.exe"
fi
exe=$root/$build/folderlock.exe
minimal=$root/$build/MinimalWindow.exe
driver=$root/$build/tests/e2e/e2e_tests.exe
lock_bench=$root/$build/bench/lock_bench.exe

. scripts/wine-session.sh
wine_session bench

# One warm-up start of each, so that the first timed run does not pay for
# Wine loading its own DLLs from disk.
wine "$driver" --bench-startup 1 "$exe" "$minimal" >/dev/null 2>&1 || true

echo "start-up: $runs runs each..." >&2
wine "$driver" --bench-startup "$runs" "$exe" "$minimal" >"$work/startup.out" 2>"$work/startup.err" || {
    cat "$work/startup.err" >&2
    exit 1
}
startup() { tr -d '\r' <"$work/startup.out" | awk -v i="$1" -v f="$2" '$1 == "STARTUP" && $2 == i { print $f }'; }
start_app=$(startup 0 3) start_app_min=$(startup 0 4) start_app_max=$(startup 0 5) peak_app=$(startup 0 6)
start_min=$(startup 1 3) start_min_min=$(startup 1 4) start_min_max=$(startup 1 5) peak_min=$(startup 1 6)

echo "lock and unlock: $lock_runs runs each..." >&2
bench=$prefix/drive_c/bench
mkdir -p "$bench/empty" "$bench/full" "$bench/big"
# 20,000 files of 100 bytes, and one sparse 1 GB file; and the 1 GB file alone.
head -c 2000000 /dev/urandom | split -b 100 -a 5 -d - "$bench/full/file"
truncate -s 1G "$bench/full/big.bin" "$bench/big/big.bin"
files=$(find "$bench/full" -type f | wc -l)
wine "$lock_bench" "$lock_runs" 'C:\bench\empty' 'C:\bench\full' 'C:\bench\big' >"$work/lock.out" 2>"$work/lock.err" || {
    cat "$work/lock.err" >&2
    exit 1
}
lock() { tr -d '\r' <"$work/lock.out" | awk -v i="$1" -v f="$2" '$1 == "LOCK" && $2 == i { print $f }'; }
floor() { tr -d '\r' <"$work/lock.out" | awk -v i="$1" '$1 == "FLOOR" && $2 == i { print $3 }'; }

size=$(stat -c %s "$exe")
dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r' | paste -sd ' ' | sed 's/ /, /g')
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

cat <<EOF

Measured $(date +%Y-%m-%d) under $(wine --version 2>/dev/null) on $(nproc) CPU(s), Xvfb, no window manager.

| Figure | folderlock.exe | Baseline | Ratio |
|---|---:|---:|---:|
| Start-up until the window is shown and idle, median of $runs (ms) | $start_app (min $start_app_min, max $start_app_max) | $start_min (min $start_min_min, max $start_min_max), minimal window | $(ratio "$start_app" "$start_min") |
| Peak working set, window open (KiB) | $peak_app | $peak_min, minimal window | $(ratio "$peak_app" "$peak_min") |
| Lock + unlock, empty folder, median of $lock_runs (ms) | $(lock 0 5) (lock $(lock 0 3), unlock $(lock 0 4)) | | |
| Lock + unlock, one 1 GB file, median of $lock_runs (ms) | $(lock 2 5) (lock $(lock 2 3), unlock $(lock 2 4)) | $(lock 0 5), empty folder | $(ratio "$(lock 2 5)" "$(lock 0 5)") |
| Lock + unlock, $files files / 1 GB, median of $lock_runs (ms) | $(lock 1 5) (lock $(lock 1 3), unlock $(lock 1 4)) | $(lock 0 5), empty folder | $(ratio "$(lock 1 5)" "$(lock 0 5)") |
| Create + delete one new file among $files files: the floor of any record write (ms) | $(floor 1) | $(floor 0), empty folder | $(ratio "$(floor 1)" "$(floor 0)") |
| Size of folderlock.exe (bytes) | $size | | |
| Imported DLLs | $dlls | | |
EOF
