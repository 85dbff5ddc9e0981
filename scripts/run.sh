#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it on the sample
# provider files next to the executable (existing files are never replaced).
# Without a display the editor runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTE_BUILD_TESTS=OFF >/dev/null
cmake --build build
for f in Provider.ini UserProv.ini; do
    [ -e "build/$f" ] || cp "samples/$f" "build/$f"
done
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" ./build/tarifeditor
fi
exec ./build/tarifeditor
