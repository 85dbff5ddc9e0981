#!/usr/bin/env bash
# Tries the Windows installer under Wine as a user would, in a fresh Wine
# prefix: a silent install (/S), the installed tarifcheck.exe on a sample, the
# installed editor on the windows platform under Xvfb (its start window, then
# the user file opened; screenshots), and a silent uninstall that must leave
# no file and no registry key of the program behind.
#   bash scripts/try-installer.sh [SETUP.EXE] [SCREENSHOT_PREFIX]
#   TE_SKIP_EDITOR=1   leaves out the editor's start (no screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh wine64 fonts-wine xdotool imagemagick locales
setup=$(realpath "${1:-build-win/tarifeditor-3.00-setup.exe}")
shots=${2:-build-win/installer/screen}
mkdir -p "$(dirname "$shots")"
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
xvfb=
cleanup() {
    WINEPREFIX=$work/prefix timeout 20 /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
w() { timeout 300 "$wine" "$@"; }
settle() { timeout 120 /usr/lib/wine/wineserver -w; }
listing() { (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | sort); }
fail() { echo "FAILED: $*"; exit 1; }

w wineboot --init >/dev/null 2>&1 || true
settle
listing >"$work/before.txt"

echo "== silent install"
w "$setup" /S
settle
inst="$WINEPREFIX/drive_c/Program Files/Tarifeditor"
for f in tarifeditor.exe tarifcheck.exe Deinstallieren.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll qt.conf; do
    [ -f "$inst/$f" ] || fail "not installed: $f"
done
link=$(find "$WINEPREFIX/drive_c" -name 'Tarifeditor.lnk' | head -n 1)
[ -n "$link" ] || fail "no Start-menu entry"
echo "Start-menu entry: ${link#"$WINEPREFIX/drive_c/"}"
grep -q 'Uninstall\\\\Tarifeditor' "$WINEPREFIX/system.reg" || fail "no entry under installed programs"
grep -A3 'Uninstall\\\\Tarifeditor' "$WINEPREFIX/system.reg" | grep -q . && echo "installed programs: Tarifeditor (uninstall entry present)"

echo "== installed tarifcheck.exe on samples/UserProv.ini"
mkdir -p "$WINEPREFIX/drive_c/Tarife"
cp samples/Provider.ini samples/UserProv.ini "$WINEPREFIX/drive_c/Tarife/"
rc=0
w "C:\\Program Files\\Tarifeditor\\tarifcheck.exe" 'C:\Tarife\UserProv.ini' | tr -d '\r' || rc=$?
echo "exit $rc"
[ $rc -le 1 ] || fail "tarifcheck.exe"

if [ -z "${TE_SKIP_EDITOR:-}" ]; then
echo "== installed editor under Xvfb"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 2
export DISPLAY=$display
# As a German user sees it: Wine takes the user's Windows locale from LC_ALL,
# made beside the prefix when glibc does not have it.
locale_env=(LC_ALL=de_DE.UTF-8)
if ! locale -a 2>/dev/null | grep -qix de_DE.utf8; then
    mkdir -p "$work/locales"
    localedef -i de_DE -f UTF-8 "$work/locales/de_DE.UTF-8" >/dev/null 2>&1 || true
    locale_env+=(LOCPATH="$work/locales")
fi
env "${locale_env[@]}" "$wine" "C:\\Program Files\\Tarifeditor\\tarifeditor.exe" 'C:\Tarife' >/dev/null 2>&1 &
win=
for _ in $(seq 60); do
    win=$(xdotool search --onlyvisible --name 'Tarif' 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 1
done
[ -n "$win" ] || fail "no window of the editor"
sleep 3
import -window root "$shots-start.png"
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" Return
sleep 6
import -window root "$shots-editor.png"
# The entry dialog of the selected weekday entry, from the keyboard: Tab
# past the weekend grid to the weekday grid, its context menu (Shift+F10),
# then "Ändern" (Alt+D); Escape leaves the dialog unchanged.
editor=$(xdotool getactivewindow 2>/dev/null || echo "$win")
xdotool key --window "$editor" Tab Tab shift+F10
sleep 2
import -window root "$shots-menu.png"
xdotool key d
sleep 3
import -window root "$shots-entry.png"
xdotool key Escape
sleep 1
# Saved from the keyboard: Tab from the grid to "Speichern", Return, and
# Return again on the question; the file is then written anew.
before=$(stat -c %Y "$WINEPREFIX/drive_c/Tarife/UserProv.ini")
sleep 1
xdotool key Tab Return
sleep 3
import -window root "$shots-save.png"
xdotool key Return
sleep 4
after=$(stat -c %Y "$WINEPREFIX/drive_c/Tarife/UserProv.ini")
[ "$after" != "$before" ] || fail "the editor did not save UserProv.ini"
ls "$WINEPREFIX/drive_c/Tarife" | grep -q tarifsave && fail "a temporary file is left beside UserProv.ini"
echo "saved: UserProv.ini written anew, no temporary file left"
echo "screenshots: $shots-start.png $shots-editor.png $shots-menu.png $shots-entry.png $shots-save.png"
timeout 20 /usr/lib/wine/wineserver -k || true
kill "$xvfb" 2>/dev/null || true
xvfb=
settle || true
fi

echo "== silent uninstall"
rm -rf "$WINEPREFIX/drive_c/Tarife"
w "C:\\Program Files\\Tarifeditor\\Deinstallieren.exe" /S
settle
sleep 2
settle
# The uninstaller runs from a copy in the temporary folder, which Windows
# deletes at the next start: a restart of the Wine session.
w wineboot -r >/dev/null 2>&1 || true
settle
# Wine's restart removes the uninstaller's copy but not always its empty
# folder (~nsuN.tmp in the temporary folder), which is named, not counted.
for d in "$WINEPREFIX"/drive_c/users/*/Temp/~nsu*.tmp; do
    [ -d "$d" ] && rmdir "$d" 2>/dev/null && echo "(the uninstaller's empty temporary folder ${d##*/} was still there)"
done
listing >"$work/after.txt"
if ! diff "$work/before.txt" "$work/after.txt"; then
    fail "files left behind"
fi
if grep -i -E 'Tarifeditor|Zalvor' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg"; then
    fail "registry keys left behind"
fi
echo "uninstall left nothing behind"
