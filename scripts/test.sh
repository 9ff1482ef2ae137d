#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors under
# AddressSanitizer + UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
. scripts/compiler-cache.sh
build=${BUILD_DIR:-build-ci}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCORVANTA_WERROR=ON -DCORVANTA_SANITIZE=ON -DCORVANTA_BUILD_BENCH=ON
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
# Each fuzz target for a short while (about a minute in all), where clang is there.
if command -v clang++ >/dev/null 2>&1; then
  bash scripts/fuzz.sh 15
fi
