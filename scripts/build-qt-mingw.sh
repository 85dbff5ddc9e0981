#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (MinGW-w64) from Debian's own source
# packages, against the host tools of the installed Qt 6.4.2, and installs it
# into a cache folder outside the work tree. The folder's name holds the Qt
# version and a hash of the configure options and of the compiler, so
# that only the first run on a machine pays for the build.
#
# Prints the Qt prefix as its last line of output.
#   TE_QT_CACHE   cache root (default /var/cache/tarifeditor)
#   TE_QT_JOBS    parallel compile jobs (default: number of cores)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${TE_QT_CACHE:-/var/cache/tarifeditor}
jobs=${TE_QT_JOBS:-$(nproc)}
qtver=6.4.2

# Only what the programs and tests load: Core, Gui, Widgets, Test, Svg, the
# windows and offscreen platform plugins, the Windows styles, the SVG image
# and icon plugins. Third-party code comes from Qt's own bundled copies.
# The windows platform plugin of 6.4.2 needs OpenGL; Debian's source lacks the
# Wintab header, hence no tablet events. Without Direct2D, Qt Gui leaves out
# the DirectWrite 3 font database that the windows plugin would otherwise ask
# for, so DirectWrite 3 goes too (fonts come through GDI and DirectWrite 2).
opts=(
    -DCMAKE_BUILD_TYPE=Release
    -DQT_USE_DEFAULT_CMAKE_OPTIMIZATION_FLAGS=ON
    "-DCMAKE_C_FLAGS_RELEASE=-O1 -DNDEBUG"
    "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG"
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_textodfwriter=OFF -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_libpng=OFF -DFEATURE_system_jpeg=OFF
)
key=$( { printf '%s\n' "$qtver" "${opts[@]}"; x86_64-w64-mingw32-g++-posix --version | head -n 1; } |
    sha256sum | cut -c1-12)
prefix=$cache/qt-$qtver-mingw-$key
log=$cache/qt-$qtver-mingw-$key.log

if [ -f "$prefix/.complete" ]; then
    echo "Qt for MinGW: cached in $prefix" >&2
    echo "$prefix"
    exit 0
fi
mkdir -p "$cache/src"
stamp() { echo "[$(date -u +%H:%M:%S)] $*" | tee -a "$log" >&2; }
timed() { # label command...
    local t0=$SECONDS
    "${@:2}" >>"$log" 2>&1 || { stamp "$1 failed, see $log"; tail -n 30 "$log" >&2; exit 1; }
    stamp "$1: $((SECONDS - t0)) s"
}

# Qt's sources from the distribution's own archive: a deb-src entry made from
# the machine's existing apt entry, so no host name is written here.
src_list=/etc/apt/sources.list.d/tarifeditor-src.sources
if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types: deb(\n|$)/ { sub(/Types: deb/, "Types: deb-src"); print }' \
            /etc/apt/sources.list.d/debian.sources >"$src_list"
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/tarifeditor-src.list
    fi
    apt-get update -qq
fi
cd "$cache/src"
fetch() { # package folder
    cd "$cache/src"
    [ -d "$2" ] && return
    ls "$1"_*.orig.tar.* >/dev/null 2>&1 || apt-get source --download-only "$1"
    tar xf "$1"_$qtver*.orig.tar.xz
}
fetch qt6-base qtbase-everywhere-src-$qtver

# Qt records its toolchain file in the installed CMake files: keep a copy
# (without the Wine runner, which only the project's tests use) in the cache.
toolchain=$cache/mingw-w64-$key.cmake
grep -v CMAKE_CROSSCOMPILING_EMULATOR "$here/cmake/mingw-w64.cmake" >"$toolchain.new"
if cmp -s "$toolchain.new" "$toolchain"; then rm "$toolchain.new"; else mv "$toolchain.new" "$toolchain"; fi

build=$cache/build-qtbase-$key
stamp "Qt $qtver for MinGW into $prefix ($jobs jobs)"
if [ ! -f "$build/build.ninja" ]; then
    timed "qtbase configure" nice -n 19 cmake -G Ninja -S "$cache/src/qtbase-everywhere-src-$qtver" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${opts[@]}"
fi
# What the tests need first (a partial build can already be tried), then the rest.
timed "qtbase build (Core Test)" nice -n 19 cmake --build "$build" -j "$jobs" --target Core Test
timed "qtbase build (Gui Widgets offscreen)" nice -n 19 cmake --build "$build" -j "$jobs" \
    --target Gui Widgets QOffscreenIntegrationPlugin
timed "qtbase build (the rest)" nice -n 19 cmake --build "$build" -j "$jobs"
timed "qtbase install" cmake --install "$build"

# Qt Svg: the archive this machine reaches may not carry its source; the
# project then draws its SVG glyphs into PNG files at build time instead.
svgbuild=$cache/build-qtsvg-$key
if (fetch qt6-svg qtsvg-everywhere-src-$qtver) >>"$log" 2>&1; then
    if [ ! -f "$svgbuild/build.ninja" ]; then
        timed "qtsvg configure" nice -n 19 "$prefix/bin/qt-cmake" -G Ninja \
            -S "$cache/src/qtsvg-everywhere-src-$qtver" -B "$svgbuild" -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    fi
    timed "qtsvg build" nice -n 19 cmake --build "$svgbuild" -j "$jobs"
    timed "qtsvg install" cmake --install "$svgbuild"
else
    stamp "the source of qt6-svg cannot be fetched: Qt Svg left out"
fi

touch "$prefix/.complete"
rm -rf "$build" "$svgbuild"
stamp "done"
echo "$prefix"
