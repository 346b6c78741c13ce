#!/usr/bin/env bash
# check-exe.sh EXE OBJDUMP MAX_BYTES
# The program must run on a bare Windows: every DLL it imports is one of
# Windows' own (no MinGW runtime DLL such as libstdc++-6, libgcc_s_seh-1 or
# libwinpthread-1 next to it), and it must stay small (MAX_BYTES; 0 skips
# the size check).
set -eu
exe=$1 objdump=$2 max=$3
status=0

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r')
if [ -z "$dlls" ]; then
    echo "FAIL: no import list read from $exe"
    exit 1
fi
allowed='^(kernel32|user32|gdi32|comctl32|shell32|advapi32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
while IFS= read -r dll; do
    lower=$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')
    if printf '%s\n' "$lower" | grep -Eq "$allowed"; then
        echo "ok    $dll"
    else
        echo "FAIL  $dll is not a Windows system DLL"
        status=1
    fi
done <<<"$dlls"

size=$(stat -c %s "$exe")
if [ "$max" -gt 0 ]; then
    if [ "$size" -lt "$max" ]; then
        echo "ok    size $size bytes (limit $max)"
    else
        echo "FAIL  size $size bytes, limit $max"
        status=1
    fi
fi
exit $status
