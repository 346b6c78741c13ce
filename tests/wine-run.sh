#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest: quiet, no Mono/Gecko prompts,
# in the prefix named by WINEPREFIX (the build folder's own). Without an X
# display it starts a private Xvfb, since the window tests need one.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
