#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks optimised (Release, in build-bench; later
# runs rebuild only what changed) and runs them:
#   build-bench/bench/bench_draw_step     one animation step of the draw, 1 MB record file
#   build-bench/bench/bench_manual_search one search keystroke over 2,000 students
#   build-bench/bench/bench_class_page    a class page of 50 students and 10,000 scores
#   bench/server_bench.sh build-bench     wrk against the score server
# Usage: scripts/bench.sh [draw|server]   (default both)
# Environment: BUILD_DIR (default build-bench); BENCH_SECONDS, BENCH_CONNECTIONS and
# BENCH_THREADS as for bench/server_bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-all}
case "$which" in all | draw | server) ;; *) echo "usage: $0 [draw|server]" >&2; exit 2 ;; esac
build=${BUILD_DIR:-build-bench}
bash scripts/build.sh "$build" Release bench_draw_step bench_manual_search bench_class_page corvanta-server

if [ "$which" != server ]; then
  QT_QPA_PLATFORM=offscreen "$build/bench/bench_draw_step"
  QT_QPA_PLATFORM=offscreen "$build/bench/bench_manual_search"
fi
if [ "$which" != draw ]; then
  # Its database goes in the working folder: on disk.
  (cd "$build" && ./bench/bench_class_page)
  bash bench/server_bench.sh "$build"
fi
