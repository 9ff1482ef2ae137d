#!/usr/bin/env bash
# Builds Release (in BUILD_DIR, default build-package) and makes the Debian packages
# corvanta_VERSION_ARCH.deb and corvanta-server_VERSION_ARCH.deb in dist/.
# Usage: scripts/package.sh [--server URL] [--vendor URL] [BUILD_DIR]
#   --server URL: the school's score server built into the tool (CORVANTA_SERVER_BASE);
#   --vendor URL: the vendor web site (CORVANTA_VENDOR_BASE). A computer's
#   /etc/corvanta/corvanta.conf (server=URL) still comes before them.
set -euo pipefail
cd "$(dirname "$0")/.."
settings=()
build=build-package
while [ $# -gt 0 ]; do
  case $1 in
    --server) settings+=("-DCORVANTA_SERVER_BASE=${2:?--server needs a URL}"); shift 2 ;;
    --server=*) settings+=("-DCORVANTA_SERVER_BASE=${1#*=}"); shift ;;
    --vendor) settings+=("-DCORVANTA_VENDOR_BASE=${2:?--vendor needs a URL}"); shift 2 ;;
    --vendor=*) settings+=("-DCORVANTA_VENDOR_BASE=${1#*=}"); shift ;;
    -*) echo "package.sh: unknown option $1" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
for setting in "${settings[@]}"; do
  url=${setting#*=}
  if ! [[ $url =~ ^https?://[^/[:space:]]+(/[^[:space:]]*)?$ ]]; then
    echo "package.sh: '$url' is no address: it must start with http:// or https:// and name a host" >&2
    exit 2
  fi
done
bash scripts/deps.sh
if [ ! -f "$build/build.ninja" ] || [ ${#settings[@]} -gt 0 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANTA_BUILD_TESTS=OFF \
        -DCORVANTA_BUILD_BENCH=OFF "${settings[@]}"
fi
cmake --build "$build" -j"$(nproc)"
dist=$PWD/dist
mkdir -p "$dist"
(cd "$build" && cpack -G DEB -B "$dist")
rm -rf "$dist/_CPack_Packages"
ls -l "$dist"/*.deb
