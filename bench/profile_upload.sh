#!/usr/bin/env bash
# Where the instructions of an upload go: corvanta-server (a Release build) under valgrind's
# callgrind on SQLite, on loopback, counting only the requests (not start-up):
#   1. servertime.php requests (the floor of the HTTP front),
#   2. uploads of 40 new lines each (bench/server_upload.lua),
# then prints instructions per request and the top functions (inclusive, then exclusive) of
# each phase. Instructions only: time in the kernel (fsync, send) is not counted.
# Usage: bench/profile_upload.sh [BUILD_DIR]   (default: build-bench; configure it with
#   -DCMAKE_BUILD_TYPE=Release -DCORVANTA_BUILD_TESTS=OFF and build corvanta-server)
# Environment: PROFILE_SECONDS (each phase, default 20), PROFILE_CONNECTIONS (default 8),
#   PROFILE_TOP (functions listed, default 25), PROFILE_KEEP (a folder to keep the
#   callgrind files in).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
server="$build/server/corvanta-server"
seconds=${PROFILE_SECONDS:-20}
connections=${PROFILE_CONNECTIONS:-8}
top=${PROFILE_TOP:-25}
for tool in valgrind callgrind_control callgrind_annotate wrk; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: apt-get install valgrind wrk" >&2; exit 1; }
done
[ -x "$server" ] || { echo "no server binary at $server (build first)" >&2; exit 1; }

work=$(mktemp -d)
pid=""
cleanup() {
  [ -z "$pid" ] || { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
  if [ -n "${PROFILE_KEEP:-}" ]; then mkdir -p "$PROFILE_KEEP" && cp "$work"/callgrind.out.* "$PROFILE_KEEP"/ 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

valgrind --tool=callgrind --instr-atstart=no --dump-instr=no \
  --callgrind-out-file="$work/callgrind.out.%p" \
  "$server" --listen 127.0.0.1:0 --database "sqlite:$work/profile.db" --mail-dir "$work/mail" \
  --demo --bench-teacher bench >"$work/server.out" 2>"$work/server.log" &
pid=$!
for _ in $(seq 1200); do grep -q listening "$work/server.out" && break; sleep 0.1; done
base=$(sed -n 's/^listening on //p' "$work/server.out")
[ -n "$base" ] || { echo "server did not start" >&2; cat "$work/server.log" >&2; exit 1; }
port=${base##*:}

# The class record file: the upload script takes class and student names from it.
digest=$(printf '%s' bench | md5sum | cut -d' ' -f1)
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'GET /score/record.php?t=bench&mp=%s HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n' "$digest" >&3
sed '1,/^\r$/d' <&3 >"$work/record.cvd"
exec 3<&-
# One upload before counting: the password check's first verification is not per request.
RECORD_FILE="$work/record.cvd" wrk -t1 -c1 -d1s -s bench/server_upload.lua "$base" >/dev/null

dumps=0
# phase NAME WRK_ARGS...: counts instructions over one wrk run, dumps them as NAME.
phase() {
  local name=$1
  shift
  callgrind_control -z "$pid" >/dev/null 2>&1
  callgrind_control -i on "$pid" >/dev/null 2>&1
  BENCH_OFFSET=$RANDOM$RANDOM RECORD_FILE="$work/record.cvd" \
    wrk -t1 -c"$connections" -d"${seconds}s" "$@" >"$work/$name.wrk"
  callgrind_control -i off "$pid" >/dev/null 2>&1
  callgrind_control -d "$name" "$pid" >/dev/null 2>&1
  local requests file total
  requests=$(awk '/requests in/ {print $1}' "$work/$name.wrk")
  dumps=$((dumps + 1))
  file="$work/callgrind.out.$pid.$dumps"
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.2; done
  total=$(callgrind_annotate "$file" | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}')
  echo "== $name: $requests requests, $total instructions, $((total / (requests > 0 ? requests : 1))) per request"
  grep -hE 'Non-2xx|Socket errors|other than' "$work/$name.wrk" || true
  callgrind_annotate --inclusive=yes --threshold=100 "$file" |
    awk -v top="$top" '/%\)/ && !/PROGRAM TOTALS/ && n < top {print; n++}'
  echo "-- $name: own instructions (exclusive)"
  callgrind_annotate --inclusive=no --threshold=100 "$file" |
    awk '/%\)/ && !/PROGRAM TOTALS/ && n < 12 {print; n++}'
}

echo "valgrind callgrind, SQLite, wrk 1 thread, $connections connections, ${seconds}s a phase"
phase servertime "$base/score/servertime.php?t=0.5"
phase upload -s bench/server_upload.lua "$base"
