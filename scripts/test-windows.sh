#!/usr/bin/env bash
# The Windows build: installs what is missing, builds Qt for MinGW once (cached
# outside the work tree, see build-qt-mingw.sh), cross-builds both programs and
# all tests into build-win/bin and runs the whole suite under Wine, then
# compares tarifcheck.exe with the Linux build (bench/same_output.sh) when
# build-test/ holds one. Prints the time of each part.
#   TE_WIN_INSTALLER=1   also builds the installer (target installer)
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
lap() { echo "== $1: $((SECONDS - t0)) s"; t0=$SECONDS; }
t0=$SECONDS
bash scripts/packages.sh g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 nsis locales
lap "packages"

qt=$(bash scripts/build-qt-mingw.sh | tail -n 1)
lap "Qt for MinGW"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DTE_QT_MINGW="$qt" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build build-win
lap "Windows build"

(cd build-win && ctest --output-on-failure -j2)
lap "tests under Wine"

if [ -x build-test/tarifcheck ] && [ -x build-test/bench/make_provider_file ]; then
    MUTATIONS=${MUTATIONS:-30} bash bench/same_output.sh build-test/tarifcheck \
        scripts/tarifcheck-wine.sh build-test
    lap "same output as the Linux build"
fi
if [ -n "${TE_WIN_INSTALLER:-}" ]; then
    cmake --build build-win --target installer
    lap "installer"
fi
echo "== all: $((SECONDS - start)) s"
