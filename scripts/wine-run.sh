#!/usr/bin/env bash
# Runs a Windows program of the MinGW build under Wine: ctest's emulator
# (CMAKE_CROSSCOMPILING_EMULATOR) and the scripts use it alike.
#
# A program that links Qt Gui gets "-platform offscreen" (Wine does not pass
# QT_QPA_PLATFORM on reliably, and the windows platform would wait on a
# message box). A QtTest program writes its output to a file (under Wine its
# own console output is lost), which is shown afterwards; the exit code stays
# the program's. Every run is bounded by a timeout (TE_WINE_TIMEOUT seconds,
# default 600).
#   WINEPREFIX   default ~/.wine-tarifeditor, made on first use
set -uo pipefail
wine=${TE_WINE:-/usr/lib/wine/wine64}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tarifeditor}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
limit=${TE_WINE_TIMEOUT:-600}

exe=$1
shift

# The first start makes the prefix; parallel tests wait for one to do it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        [ -f "$WINEPREFIX/system.reg" ] || timeout 300 "$wine" wineboot --init >/dev/null 2>&1
        timeout 60 /usr/lib/wine/wineserver -w 2>/dev/null
    ) 9>"$WINEPREFIX.lock"
fi

args=("$@")
if grep -qa 'Qt6Gui.dll' "$exe" && [[ " $* " != *" -platform "* ]]; then
    args=(-platform offscreen "${args[@]}")
fi
out=
if grep -qa 'Qt6Test.dll' "$exe" && [[ " $* " != *" -o "* ]]; then
    out=$(mktemp "${TMPDIR:-/tmp}/qttest.XXXXXX")
    args+=(-o "Z:$out,txt")
fi
timeout -k 10 "$limit" "$wine" "$exe" "${args[@]}"
rc=$?
if [ -n "$out" ]; then
    cat "$out"
    rm -f "$out"
fi
[ $rc -eq 124 ] && echo "wine-run: $(basename "$exe") stopped after $limit s" >&2
exit $rc
