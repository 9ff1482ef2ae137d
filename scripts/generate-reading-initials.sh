#!/usr/bin/env bash
# Regenerates src/pinyin/ReadingInitialsTable.inc from Unicode's Unihan readings (Debian package
# unicode-data). Usage: bash scripts/generate-reading-initials.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-run}"
unihan=/usr/share/unicode/Unihan_Readings.txt.bz2
[ -f "$unihan" ] || { echo "$unihan is missing: apt-get install unicode-data" >&2; exit 1; }
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target corvanta-reading-initials
bzcat "$unihan" | "$build/src/pinyin/corvanta-reading-initials" > src/pinyin/ReadingInitialsTable.inc
