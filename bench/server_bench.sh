#!/usr/bin/env bash
# Benchmark of corvanta-server with wrk (Debian package "wrk"), in one run:
#   servertime.php (the server's floor), record.php of a teacher with 20 classes x 50
#   students, and index.php uploads of 40 lines each.
# Usage: bench/server_bench.sh [BUILD_DIR]   (default: build)
# Environment: BENCH_SECONDS (default 10), BENCH_CONNECTIONS (default 64), BENCH_THREADS (2).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${BUILD_DIR:-build}}
server="$build/server/corvanta-server"
seconds=${BENCH_SECONDS:-10}
connections=${BENCH_CONNECTIONS:-64}
threads=${BENCH_THREADS:-2}
command -v wrk >/dev/null || { echo "wrk is missing: apt-get install wrk" >&2; exit 1; }
[ -x "$server" ] || { echo "no server binary at $server (build first)" >&2; exit 1; }

work=$(mktemp -d)
"$server" --listen 127.0.0.1:0 --database "sqlite:$work/bench.db" --mail-dir "$work/mail" \
  --demo --bench-teacher bench >"$work/out" 2>"$work/requests.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do grep -q listening "$work/out" && break; sleep 0.1; done
base=$(sed -n 's/^listening on //p' "$work/out")
[ -n "$base" ] || { echo "server did not start" >&2; cat "$work/requests.log" >&2; exit 1; }
port=${base##*:}
digest=$(printf '%s' bench | md5sum | cut -d' ' -f1)

# The class record file, fetched without curl: the upload script takes its names from it.
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'GET /score/record.php?t=bench&mp=%s HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n' "$digest" >&3
sed '1,/^\r$/d' <&3 >"$work/record.cvd"
exec 3<&-
echo "server $base, bench teacher: $(grep -c $'\t' "$work/record.cvd") record lines," \
  "$(wc -c <"$work/record.cvd") bytes of record file"

run() { # name, wrk arguments...
  local name=$1
  shift
  local out
  out=$(wrk -t"$threads" -c"$connections" -d"${seconds}s" --latency "$@")
  local rps p99 errors
  rps=$(awk '/^Requests\/sec/ {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {print $2}' <<<"$out")
  errors=$(grep -E 'Non-2xx|Socket errors|other than' <<<"$out" | tr '\n' ' ' || true)
  printf '%-16s %10s req/s   p99 %8s   %s\n' "$name" "$rps" "$p99" "$errors"
}

echo "wrk: $threads threads, $connections connections, ${seconds}s each"
run servertime.php "$base/score/servertime.php?t=0.5"
run record.php "$base/score/record.php?t=bench&mp=$digest"
RECORD_FILE="$work/record.cvd" run "index.php x40" -s bench/server_upload.lua "$base"
stored=$(printf 'GET /score/getscore.php?class=%%B8%%DF%%B6%%FE(1)%%B0%%E0&t=bench&mp=%s HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n' "$digest" |
  { exec 3<>"/dev/tcp/127.0.0.1/$port"; cat >&3; sed '1,/^\r$/d' <&3; } | grep -c $'\t' || true)
echo "score records of class 高二(1)班 after the run: $stored"
