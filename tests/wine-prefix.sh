#!/usr/bin/env bash
# wine-prefix.sh setup|cleanup PREFIX
# setup: creates a fresh Wine prefix for the tests (removing an old one) and
#   sets what the tests rely on: a CJK font behind the usual UI font names and
#   no wait for a window manager when a window closes.
# cleanup: ends every Wine process of that prefix.
set -eu
action=$1 prefix=$2
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(cd "$(dirname "$0")" && pwd)

case $action in
setup)
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    wineboot -i
    wine regedit "$here/wine-settings.reg"
    wineserver -w
    echo "wine prefix ready: $prefix"
    ;;
cleanup)
    wineserver -k 2>/dev/null || true
    ;;
esac
