#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors under ASan + UBSan,
# and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=build-test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DNAVOKET_SANITIZE=ON -DNAVOKET_WERROR=ON -DNAVOKET_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
