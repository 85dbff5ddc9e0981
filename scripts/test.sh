#!/usr/bin/env bash
# Installs what is missing, runs the fuzz target for about a minute on the
# seed corpus, then builds everything (benchmarks included), runs all tests,
# and builds and checks the Debian package; then the same for Windows: Qt for
# MinGW (built once per machine and cached), both programs and every test
# under Wine, and tarifcheck.exe against the Linux build
# (scripts/test-windows.sh). TE_NO_WINDOWS=1 leaves the Windows part out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh libbenchmark-dev clang libclang-rt-14-dev \
    help2man desktop-file-utils appstream dpkg-dev file

# The loader and the writer on arbitrary bytes, with address and undefined
# behaviour checks. New inputs go to a scratch copy, not to the repository.
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTE_BUILD_FUZZ=ON -DTE_BUILD_APPS=OFF -DTE_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_provider_file
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp fuzz/corpus/* "$scratch/"
tmp=/dev/shm
[ -w "$tmp" ] || tmp=$scratch
TMPDIR=$tmp ./build-fuzz/fuzz/fuzz_provider_file -max_total_time=60 -max_len=262144 \
    -rss_limit_mb=4096 -print_final_stats=1 "$scratch" fuzz/corpus 2>&1 | tail -n 12
echo "fuzz: nothing found"

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTE_BUILD_BENCH=ON >/dev/null
cmake --build build-test
# The package is checked before the tests, so that the test summary closes
# the output.
bash scripts/check-package.sh build-test
(cd build-test && ctest --output-on-failure -j2)

if [ -z "${TE_NO_WINDOWS:-}" ]; then
    bash scripts/test-windows.sh
fi
