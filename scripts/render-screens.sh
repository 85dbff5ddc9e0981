#!/usr/bin/env bash
# Renders every window of the program to PNG at 100% and 200% scaling (the
# editor with its coverage strips on both sample files; the take-over dialog
# lists samples/Provider.ini, which lies next to the user file):
#   bash scripts/render-screens.sh OUTPUT_FOLDER
set -euo pipefail
out=${1:?usage: render-screens.sh OUTPUT_FOLDER}
cd "$(dirname "$0")/.."
bash scripts/packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tarifscreens
for scale in 1 2; do
    QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$scale ./build/tarifscreens samples/UserProv.ini "$out"
done
