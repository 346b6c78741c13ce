#!/usr/bin/env bash
# Pictures of the program for the README:
#   docs/screenshots/encrypt.png   the encrypt window, both passwords typed
#   docs/screenshots/decrypt.png   the decrypt window on a locked folder
#   docs/screenshots/message.png   the decrypt window with its wrong-password box
# Usage: scripts/screenshots.sh [BUILD_DIR]     (default build/windows)
# Builds folderlock.exe and the test driver e2e_tests.exe there (MinGW,
# MinSizeRel; NO_BUILD=1 takes them as they are), runs them under Wine in a throwaway
# prefix with the tests' settings (CJK font, no window manager wait) on a
# private Xvfb display, and captures the screen with ImageMagick's import,
# cropped to the window. The driver leaves the program on screen and prints
# the window's rectangle ("e2e_tests --show ...").
set -eu
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/windows}
out=$root/docs/screenshots

if [ "${NO_BUILD:-0}" != 1 ]; then
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
              -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
    fi
    cmake --build "$build" --target folderlock e2e_tests >/dev/null
fi
exe=$root/$build/folderlock.exe
driver=$root/$build/tests/e2e/e2e_tests.exe

. scripts/wine-session.sh
wine_session screenshots
mkdir -p "$out" "$prefix/drive_c/Photos" "$prefix/drive_c/Documents" "$prefix/drive_c/Music"
echo "a picture" >"$prefix/drive_c/Photos/holiday.jpg"
echo "a letter" >"$prefix/drive_c/Documents/letter.txt"
echo "a song" >"$prefix/drive_c/Music/song.mp3"

# shot NAME WHAT FOLDER: shows WHAT (encrypt, decrypt, message) on FOLDER and
# writes NAME.png.
shot() {
    local name=$1 what=$2 folder=$3 rect left top right bottom
    # Into a file, not a pipe: the program left running holds the driver's
    # standard output open, so a pipe would never end.
    wine "$driver" --show "$what" "$exe" "$folder" >"$work/$name.out" 2>/dev/null || true
    rect=$(tr -d '\r' <"$work/$name.out" | sed -n 's/^RECT //p')
    if [ -z "$rect" ]; then
        echo "error: the driver did not show the $what window" >&2
        exit 1
    fi
    read -r left top right bottom <<<"$rect"
    sleep 1  # let Wine finish painting
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out/$name.png"
    echo "$out/$name.png: $((right - left))x$((bottom - top)) at $left,$top"
    wineserver -k 2>/dev/null || true  # ends the program left on screen
    wineserver -w 2>/dev/null || true
}

shot encrypt encrypt 'C:\Photos'
shot decrypt decrypt 'C:\Documents'
shot message message 'C:\Music'
