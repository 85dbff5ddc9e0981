#!/usr/bin/env bash
# Renders the glyphs and the program symbol for the Windows build (which has
# no Qt Svg) into packaging/windows/icons: run again after an SVG changes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -fPIC render-icons.cpp -o "$tmp/render-icons" $(pkg-config --cflags --libs Qt6Svg Qt6Gui)
mkdir -p icons
QT_QPA_PLATFORM=offscreen "$tmp/render-icons" ../../resources/icons ../org.zalvor.tarifeditor.svg icons
