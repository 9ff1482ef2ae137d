#!/usr/bin/env bash
# Installs what is missing and builds TARGETs in BUILD_DIR (tests off). The first time it
# configures; afterwards ninja rebuilds only what changed (and re-runs CMake itself when a
# CMakeLists.txt changed), so with unchanged sources it does nothing.
# Usage: scripts/build.sh BUILD_DIR BUILD_TYPE TARGET...
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=$1
type=$2
shift 2
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DCORVANTA_BUILD_TESTS=OFF
fi
cmake --build "$build" -j"$(nproc)" --target "$@"
