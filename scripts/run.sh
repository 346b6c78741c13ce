#!/usr/bin/env bash
# Builds folderlock.exe and starts it under Wine, with the arguments given
# (a folder path: scripts/run.sh 'C:\Data\Photos'), or without any on a demo
# folder C:\Demo\照片 (add a final "." to open the locked one). The Wine
# prefix is build/run-prefix, made on first use with a CJK font for the
# Chinese texts.
# Without an X display the program runs on a virtual one (Xvfb).
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/windows --target folderlock
prefix=$PWD/build/run-prefix
[ -d "$prefix" ] || tests/wine-prefix.sh setup "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ $# -eq 0 ]; then
    demo=$prefix/drive_c/Demo/照片
    if [ ! -d "$demo" ] && [ ! -d "$demo." ]; then
        mkdir -p "$demo" && echo "a holiday picture" >"$demo/holiday.jpg"
    fi
    if [ -d "$demo." ]; then set -- 'C:\Demo\照片.'; else set -- 'C:\Demo\照片'; fi
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "no X display: running on a virtual one (xvfb-run)" >&2
    exec xvfb-run -a wine build/windows/folderlock.exe "$@"
fi
exec wine build/windows/folderlock.exe "$@"
