#!/usr/bin/env bash
# Builds the Debian package in a configured and built build folder (default
# build-test) and checks it: the files it must hold, that its dependencies
# name the Qt 6 libraries, the desktop entry and the AppStream metainfo, and
# that the programs taken out of it run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
rm -f "$build"/tarifeditor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tarifeditor_*.deb)
echo "package: $deb"

contents=$(dpkg-deb --contents "$deb")
for f in usr/bin/tarifeditor usr/bin/tarifcheck \
    usr/share/applications/org.zalvor.tarifeditor.desktop \
    usr/share/icons/hicolor/scalable/apps/org.zalvor.tarifeditor.svg \
    usr/share/metainfo/org.zalvor.tarifeditor.metainfo.xml \
    usr/share/man/man1/tarifeditor.1.gz usr/share/man/man1/tarifcheck.1.gz; do
    grep -q " \./$f\$" <<<"$contents" || { echo "package: $f is missing" >&2; exit 1; }
done
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6; do
    grep -q "\b$lib\b" <<<"$depends" || { echo "package: Depends lacks $lib: $depends" >&2; exit 1; }
done
echo "package: Depends: $depends"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb --extract "$deb" "$scratch"
desktop-file-validate "$scratch/usr/share/applications/org.zalvor.tarifeditor.desktop"
appstreamcli validate --no-net "$scratch/usr/share/metainfo/org.zalvor.tarifeditor.metainfo.xml"
"$scratch/usr/bin/tarifcheck" --version
"$scratch/usr/bin/tarifcheck" samples/UserProv.ini
"$scratch/usr/bin/tarifeditor" --version
echo "package: all checks passed"
