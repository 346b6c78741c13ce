# Sourced by the scripts that run folderlock.exe under Wine on a screen of
# their own (screenshots, benchmarks). wine_session NAME makes a temporary
# folder ($work), starts a private Xvfb (DISPLAY), creates a fresh Wine prefix
# in it with the tests' settings ($prefix, WINEPREFIX) and removes all of it
# when the script exits.

wine_session_end() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}

wine_session() {
    work=$(mktemp -d "/tmp/folderlock-$1.XXXXXX")
    prefix=$work/prefix
    xvfb_pid=
    trap wine_session_end EXIT

    # A display of our own, so that nothing else is on the screen.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    DISPLAY=":$(head -n1 "$work/display")"
    export DISPLAY

    echo "preparing a Wine prefix..." >&2
    tests/wine-prefix.sh setup "$prefix" >/dev/null 2>&1
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}
