#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer)
# in a build folder of their own and runs each for SECONDS (default 10), one at a time,
# from its starting inputs in fuzz/corpus/<target>/. Fails when a target crashes, hangs
# (30 s on one input) or breaks one of its checks; the input that did it is kept in the
# build folder. Inputs grow up to the largest starting input (at least 4 KiB).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=${FUZZ_BUILD_DIR:-build-fuzz}
targets=(fuzz_record_file fuzz_score_file fuzz_form fuzz_request)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DCORVANTA_FUZZ=ON -DCORVANTA_BUILD_TESTS=OFF -DCORVANTA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target corvanta_fuzzers -j2

# Scratch files in a folder of this run, on a memory file system when there is one (the
# pending file is synced on every write); removed even when a target is stopped.
scratch_root=/tmp
[ -w /dev/shm ] && scratch_root=/dev/shm
scratch=$(mktemp -d "$scratch_root/corvanta-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
# A small quarantine: a bigger one finds little more here and costs memory and speed.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:quarantine_size_mb=32
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for t in "${targets[@]}"; do
  # New inputs go to the build folder; the repository's starting inputs stay as they are.
  found="$build/fuzz-found/$t"
  artifacts="$build/fuzz-artifacts/$t"
  mkdir -p "$found" "$artifacts"
  echo "== $t: $seconds s"
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=1536 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$found" "fuzz/corpus/$t" \
      >"$build/fuzz-$t.log" 2>&1; then
    tail -n 60 "$build/fuzz-$t.log"
    failed+=("$t")
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$build/fuzz-$t.log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found a fault in: ${failed[*]} (inputs in $build/fuzz-artifacts/)" >&2
  exit 1
fi
