#!/usr/bin/env bash
# Builds Release (in BUILD_DIR, default build-package) and makes the Debian packages
# corvanta_VERSION_ARCH.deb and corvanta-server_VERSION_ARCH.deb in dist/.
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${1:-build-package}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANTA_BUILD_TESTS=OFF \
        -DCORVANTA_BUILD_BENCH=OFF
fi
cmake --build "$build" -j"$(nproc)"
dist=$PWD/dist
mkdir -p "$dist"
(cd "$build" && cpack -G DEB -B "$dist")
rm -rf "$dist/_CPack_Packages"
ls -l "$dist"/*.deb
