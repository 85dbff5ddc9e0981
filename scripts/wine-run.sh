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
#   WINEPREFIX       default ~/.wine-tarifeditor, made on first use
#   TE_WINE_LOCALE   the Windows user's locale (a glibc name: de_DE.UTF-8)
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

# Wine takes the user's Windows locale and the encoding of Linux file names
# from LC_ALL: TE_WINE_LOCALE (say de_DE.UTF-8) sets it for the Windows
# program alone. A locale glibc does not have would leave file names
# ASCII-only, so it is made once beside the prefix (Debian's locales package).
wine_env=()
if [ -n "${TE_WINE_LOCALE:-}" ]; then
    want=$TE_WINE_LOCALE
    wine_env=(LC_ALL="$want")
    if ! locale -a 2>/dev/null | grep -qix "${want/UTF-8/utf8}"; then
        locales=$WINEPREFIX.locales
        if [ ! -d "$locales/$want" ]; then
            mkdir -p "$locales"
            (
                flock 9
                [ -d "$locales/$want" ] ||
                    localedef -i "${want%%.*}" -f "${want#*.}" "$locales/$want" >/dev/null 2>&1 || true
            ) 9>"$locales.lock"
        fi
        [ -d "$locales/$want" ] && wine_env+=(LOCPATH="$locales")
    fi
fi

# A server that outlives single runs: each start of a program then takes a
# fraction of a second instead of seconds.
(/usr/lib/wine/wineserver -p30 </dev/null >/dev/null 2>&1 &)

args=("$@")
if grep -qa 'Qt6Gui.dll' "$exe" && [[ " $* " != *" -platform "* ]]; then
    args=(-platform offscreen "${args[@]}")
fi
out=
if grep -qa 'Qt6Test.dll' "$exe" && [[ " $* " != *" -o "* ]]; then
    out=$(mktemp "${TMPDIR:-/tmp}/qttest.XXXXXX")
    args+=(-o "Z:$out,txt")
fi
# The program's output goes through files: processes of the Wine session
# that outlive the program would otherwise hold a pipe open for seconds.
so=$(mktemp "${TMPDIR:-/tmp}/wine-out.XXXXXX")
se=$(mktemp "${TMPDIR:-/tmp}/wine-err.XXXXXX")
env "${wine_env[@]}" timeout -k 10 "$limit" "$wine" "$exe" "${args[@]}" >"$so" 2>"$se"
rc=$?
cat "$so"
cat "$se" >&2
rm -f "$so" "$se"
if [ -n "$out" ]; then
    cat "$out"
    rm -f "$out"
fi
[ $rc -eq 124 ] && echo "wine-run: $(basename "$exe") stopped after $limit s" >&2
exit $rc
