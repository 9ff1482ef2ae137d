#!/usr/bin/env bash
# Benchmark of corvanta-server with wrk (Debian package "wrk"), in one run:
#   servertime.php (the server's floor), record.php of a teacher with 20 classes x 50
#   students, index.php uploads of 40 lines each (every request new lines; on SQLite again
#   beside bench/registration_flood.py, 50 addresses registering at the limit), and a signed-in
#   browser's class page (/score/class, read again whenever an upload changed the data),
# the same record.php bytes served by nginx (Debian package "nginx-light", one worker) as
# the yardstick for the HTTP front,
# on SQLite (one process), then on PostgreSQL with one process and with two processes on
# one database (a throw-away PostgreSQL 15 server in a temporary folder; wrk drives both
# processes at once with half the connections each).
# then the first class page after a change with 10,000 scores in the class (bench_class_page
# of the same build, when it was built with -DCORVANTA_BUILD_BENCH=ON) on SQLite and PostgreSQL.
# On each store too, the pages that must cost what they show, against their small twins: a
# student's page in a class of 50,000 scores and the home page of a teacher with 52,000
# (bench/fill_scores.py uploads the scores; see page_ratios), and the class CSV of those 50,000
# against sqlite3 -csv (psql --csv) of the same rows, with the server's peak memory (csv_ratio).
# At the end, a summary: each of these as a ratio of two rates (or times) of this run.
# Usage: bench/server_bench.sh [BUILD_DIR]   (default: build)
# Environment: BENCH_SECONDS (default 10), BENCH_CONNECTIONS (default 64), BENCH_THREADS (2),
#   BENCH_STORES (default "sqlite postgresql"), PG_BINDIR (default /usr/lib/postgresql/15/bin),
#   PG_SETTINGS (extra "-c name=value" for the PostgreSQL server), PG_COMMIT (the server's
#   synchronous_commit, default on as the server's; "off" risks answered uploads),
#   BENCH_SERVER_ARGS (more options for every server process, e.g. "--threads 4"),
#   BENCH_CSV_RUNS (downloads of the class CSV, default 9), BENCH_CSV_BEFORE (another build
#   folder whose server downloads the same CSV after this one's, e.g. one from before a change),
#   BENCH_QUICK=1 (only the rows of the summary: no registration flood, page ratios, CSV,
#   two PostgreSQL processes or first class page).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${BUILD_DIR:-build}}
server="$build/server/corvanta-server"
seconds=${BENCH_SECONDS:-10}
connections=${BENCH_CONNECTIONS:-64}
threads=${BENCH_THREADS:-2}
stores=${BENCH_STORES:-sqlite postgresql}
pg_bin=${PG_BINDIR:-/usr/lib/postgresql/15/bin}
# What the run needs from Debian, installed when run as root.
need() { # COMMAND PACKAGE
  command -v "$1" >/dev/null || [ -x "/usr/sbin/$1" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$2" >/dev/null
  else
    echo "$1 is missing: apt-get install $2" >&2
    exit 1
  fi
}
need wrk wrk
need nginx nginx-light
need curl curl
need sqlite3 sqlite3
nginx=$(command -v nginx || echo /usr/sbin/nginx)
[ -x "$server" ] || { echo "no server binary at $server (build first)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
pg_data=""
as_pg=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  [ -z "${nginx_pid:-}" ] || { kill "$nginx_pid" 2>/dev/null || true; wait "$nginx_pid" 2>/dev/null || true; }
  [ -z "$pg_data" ] || "${as_pg[@]}" "$pg_bin/pg_ctl" -D "$pg_data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# start_server NAME DATABASE [ACCOUNT]: starts one process (which adds the benchmark teacher
# ACCOUNT, default bench, when missing), sets $base and $port.
start_server() {
  local name=$1 database=$2 account=${3:-bench}
  "$server" --listen 127.0.0.1:0 --database "$database" --mail-dir "$work/mail" \
    --demo --bench-teacher "$account" ${BENCH_SERVER_ARGS:-} >"$work/$name.out" 2>"$work/$name.log" &
  pids+=($!)
  for _ in $(seq 300); do grep -qs listening "$work/$name.out" && break; sleep 0.1; done
  base=$(sed -n 's/^listening on //p' "$work/$name.out")
  [ -n "$base" ] || { echo "server $name did not start" >&2; cat "$work/$name.log" >&2; exit 1; }
  port=${base##*:}
}

stop_servers() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  pids=()
}

# A throw-away PostgreSQL server on a Unix socket in $work (as "postgres" when run as root).
start_postgres() {
  [ -x "$pg_bin/initdb" ] || { echo "no initdb in $pg_bin: apt-get install postgresql-15" >&2; exit 1; }
  pg_data="$work/pg"
  mkdir -p "$pg_data"
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$work" "$pg_data"
    chmod 755 "$work"
    as_pg=(runuser -u postgres --)
  fi
  "${as_pg[@]}" "$pg_bin/initdb" -D "$pg_data" -U corvanta --auth=trust -E UTF8 --locale=C.UTF-8 \
    >"$work/initdb.log" 2>&1 || { cat "$work/initdb.log" >&2; exit 1; }
  # shellcheck disable=SC2086
  "${as_pg[@]}" "$pg_bin/pg_ctl" -D "$pg_data" -l "$work/postgres.log" -w \
    -o "-k $work -c listen_addresses= ${PG_SETTINGS:-}" start >/dev/null
}

# nginx with one worker serving $work/record.cvd at /score/record.php; sets $nginx_base.
start_nginx() {
  local dir="$work/nginx" p=0
  mkdir -p "$dir/logs"
  for _ in $(seq 50); do
    p=$((20000 + RANDOM % 30000))
    (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null || break
  done
  chmod 755 "$work"
  chmod 644 "$work/record.cvd"
  cat >"$dir/nginx.conf" <<CONF
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections 1024; }
http {
  access_log $dir/logs/access.log;
  client_body_temp_path $dir;
  proxy_temp_path $dir;
  fastcgi_temp_path $dir;
  uwsgi_temp_path $dir;
  scgi_temp_path $dir;
  server {
    listen 127.0.0.1:$p;
    location = /score/record.php { default_type "text/plain; charset=GBK"; alias $work/record.cvd; }
  }
}
CONF
  "$nginx" -p "$dir" -c "$dir/nginx.conf" -g 'daemon off;' 2>"$dir/logs/start.log" &
  nginx_pid=$!
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null && break; sleep 0.1; done
  nginx_base="http://127.0.0.1:$p"
}

stop_nginx() {
  kill "$nginx_pid" 2>/dev/null || true
  wait "$nginx_pid" 2>/dev/null || true
  nginx_pid=""
}

createdb() {
  "$pg_bin/createdb" -h "$work" -U corvanta "$1"
}

# The class record file, fetched without curl: the upload script takes its names from it.
# fetch_record [ACCOUNT FILE] (default bench, $work/record.cvd).
fetch_record() {
  local account=${1:-bench} file=${2:-$work/record.cvd}
  digest=$(printf '%s' "$account" | md5sum | cut -d' ' -f1)
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf 'GET /score/record.php?t=%s&mp=%s HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n' "$account" "$digest" >&3
  sed '1,/^\r$/d' <&3 >"$file"
  exec 3<&-
}

# A browser signed in as the bench teacher, from the sign-in form's own page (the server
# refuses a sign-in posted from elsewhere): sets $cookie. The class page's address is the
# first class's name in GBK, as the pages' own links write it.
sign_in() { # [ACCOUNT] (default bench)
  local form="username=${1:-bench}&password=${1:-bench}"
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf 'POST /score/ HTTP/1.1\r\nHost: bench\r\nOrigin: http://bench\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: %d\r\nConnection: close\r\n\r\n%s' \
    "${#form}" "$form" >&3
  cookie=$(tr -d '\r' <&3 | sed -n 's/^Set-Cookie: \([^;]*\).*/\1/p' | head -n 1)
  exec 3<&-
  [ -n "$cookie" ] || { echo "sign-in for the class page failed" >&2; exit 1; }
  class_query=$(printf '%s' '高二(1)班' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n' | sed 's/../%&/g')
}

# measure LABEL PAGE BASE...: wrk against every base at once (connections shared out);
# prints requests per second (summed) and the worst 99th percentile.
measure() {
  local label=$1 page=$2
  shift 2
  local c=$((connections / $#)) t=$((threads / $# > 0 ? threads / $# : 1)) i=0
  # One teacher's class pages: as many at once as the server lets one account ask (the rest
  # would be answered "busy").
  [ "$page" != class ] && [ "$page" != student ] || c=$((8 / $#))
  local outs=() runs=()
  # The first uploads of an account wait for the slow check of its operation password and
  # are answered "busy" until it is remembered: one connection uploads for a second first, so
  # those quick refusals are not counted as uploads.
  # The same for the record file: the first sign-in of each process waits for the slow
  # check of the login password, and the many at once meanwhile are answered "busy".
  if [ "$page" = record.php ]; then
    for b in "$@"; do curl -s -o /dev/null "$b/score/record.php?t=bench&mp=$digest" || true; done
  fi
  if [ "$page" = upload ]; then
    for b in "$@"; do
      BENCH_OFFSET=$((900000000 + ++i)) RECORD_FILE="$work/record.cvd" \
        wrk -t1 -c1 -d1s -s bench/server_upload.lua "$b" >/dev/null
    done
    i=0
  fi
  for b in "$@"; do
    i=$((i + 1))
    local url args=()
    case $page in
      servertime.php) url="$b/score/servertime.php?t=0.5" ;;
      record.php) url="$b/score/record.php?t=bench&mp=$digest" ;;
      upload) url=$b; args=(-s bench/server_upload.lua) ;;
      class) url="$b/score/class?class=$class_query"; args=(-H "Cookie: $cookie") ;;
      student) url="$b/score/student?$student_query"; args=(-H "Cookie: $cookie") ;;
      home) url="$b/score/"; args=(-H "Cookie: $cookie") ;;
    esac
    BENCH_OFFSET=$((i * 30000000)) RECORD_FILE="$work/record.cvd" \
      wrk -t"$t" -c"$c" -d"${seconds}s" --latency "${args[@]}" "$url" >"$work/wrk.$i" &
    runs+=($!)
    outs+=("$work/wrk.$i")
  done
  wait "${runs[@]}"
  local rps p99 errors
  rps=$(awk '/^Requests\/sec/ {s += $2} END {printf "%.0f", s}' "${outs[@]}")
  p99=$(awk '$1 == "99%" {v = $2; ms = v + 0; if (v ~ /us$/) ms /= 1000; else if (v ~ /[^m]s$/) ms *= 1000;
          if (ms > m) m = ms} END {printf "%.2fms", m}' "${outs[@]}")
  errors=$(grep -hE 'Non-2xx|Socket errors|other than' "${outs[@]}" | grep -v 'Success!: 0$' | tr '\n' ' ' || true)
  printf '%-24s %-16s %10s req/s   p99 %10s   %s\n' "$label" "$page" "$rps" "$p99" "$errors"
  last_rps=$rps
  last_p99=$p99
}

# page_ratios LABEL DATABASE...: pages that must cost what they show, each against its small
# twin in one process on a fresh database: the page of a student with 1,000 scores in a class
# of 50,000 against a student with 1,000 scores alone in a class, and the home page of a
# teacher with 52,000 scores against one with 2,000. The ratio is the twin's rate over the
# page's (1.0: no dearer).
page_ratios() {
  local label=$1 database=$2 queries big small
  start_server "ratios-small" "$database" small
  stop_servers
  start_server ratios "$database"
  fetch_record small "$work/small.cvd"
  python3 bench/fill_scores.py "$base" small "$work/small.cvd" 1:1:1000 2:1:1000 >/dev/null
  fetch_record bench "$work/big.cvd"
  queries=$(python3 bench/fill_scores.py "$base" bench "$work/big.cvd" 1:50:1000 2:1:1000 3:1:1000)
  sign_in
  student_query=$(sed -n 1p <<<"$queries")
  measure "$label" student "$base"
  big=$last_rps
  sleep 3 # the pages wrk left waiting are answered before the twin's run (else it is told "busy")
  student_query=$(sed -n 2p <<<"$queries")
  measure "$label" student "$base"
  small=$last_rps
  printf '%-24s %-16s %10s x   (student of 1,000 scores in a class of 50,000 / alone in a class)\n' \
    "$label" "student ratio" "$(awk -v a="$small" -v b="$big" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}')" | tee -a "$work/ratios.txt"
  measure "$label" home "$base"
  big=$last_rps
  sign_in small
  measure "$label" home "$base"
  small=$last_rps
  printf '%-24s %-16s %10s x   (home page, 52,000 scores / 2,000)\n' \
    "$label" "home ratio" "$(awk -v a="$small" -v b="$big" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}')" | tee -a "$work/ratios.txt"
  server_pid=${pids[-1]}
  csv_ratio "$label" "${csv_client[@]}"
  stop_servers
  if [ -n "${BENCH_CSV_BEFORE:-}" ]; then
    # The same rows from another build's server (say, before a change), in the same run.
    local mine=$server
    server="$BENCH_CSV_BEFORE/server/corvanta-server"
    start_server ratios-before "$database"
    server_pid=${pids[-1]}
    csv_ratio "$label (before)" "${csv_client[@]}"
    stop_servers
    server=$mine
  fi
}

# csv_ratio LABEL CLIENT...: the class CSV of the 50,000 scores page_ratios uploads (the
# running server, $server_pid), each download whole, against the database's own client
# (CLIENT..., reading the SQL on its standard input) writing the same rows as CSV; the medians
# of BENCH_CSV_RUNS (default 9) each. Also the same download gzipped, and the server's peak
# memory (VmHWM, reset before the downloads where the kernel lets it) against its memory before.
csv_ratio() {
  local label=$1 runs=${BENCH_CSV_RUNS:-9} rss peak lines i t0
  shift
  sign_in
  local sql="SELECT s.name, sc.score, $csv_time, sc.topic, sc.note FROM score sc JOIN student s ON s.id = sc.student_id
    WHERE sc.class_id = (SELECT c.id FROM class c JOIN teacher t ON t.id = c.teacher_id
    WHERE t.account = 'bench' AND c.name = '高二(1)班') ORDER BY sc.at, sc.id;"
  : >"$work/csv.ms"; : >"$work/gzip.ms"; : >"$work/cli.ms"
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$server_pid/status")
  echo 5 2>/dev/null >"/proc/$server_pid/clear_refs" || true
  for i in $(seq "$runs"); do
    curl -sf -o "$work/class.csv" -w '%{time_total}\n' -H "Cookie: $cookie" \
      "$base/score/class.csv?class=$class_query" | awk '{print $1 * 1000}' >>"$work/csv.ms"
    curl -sf -o /dev/null --compressed -w '%{time_total}\n' -H "Cookie: $cookie" \
      "$base/score/class.csv?class=$class_query" | awk '{print $1 * 1000}' >>"$work/gzip.ms"
    t0=$(date +%s%N)
    "$@" <<<"$sql" >"$work/cli.csv"
    echo $((($(date +%s%N) - t0) / 1000000)) >>"$work/cli.ms"
  done
  peak=$(awk '/^VmHWM/ {print $2}' "/proc/$server_pid/status")
  lines=$(($(wc -l <"$work/class.csv") - 1))
  median() { sort -n "$1" | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
  local page cli packed
  page=$(median "$work/csv.ms"); cli=$(median "$work/cli.ms"); packed=$(median "$work/gzip.ms")
  printf '%-24s %-16s %10s x   (class CSV of %s rows, %s bytes: %.0f ms against the client %.0f ms; gzipped %.0f ms)\n' \
    "$label" "CSV ratio" "$(awk -v a="$page" -v b="$cli" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}')" \
    "$lines" "$(wc -c <"$work/class.csv")" "$page" "$cli" "$packed" | tee -a "$work/ratios.txt"
  printf '%-24s %-16s %10s MB peak RSS while downloading (%s MB before)\n' \
    "$label" "CSV memory" "$((peak / 1024))" "$((rss / 1024))"
}

run_pages() { # LABEL BASE...
  local label=$1
  shift
  measure "$label" servertime.php "$@"
  rate["$label servertime"]=$last_rps
  measure "$label" record.php "$@"
  rate["$label record"]=$last_rps
  measure "$label" upload "$@"
  rate["$label upload"]=$last_rps
  upload_p99["$label"]=$last_p99
  measure "$label" class "$@"
}

# The goals as ratios of this run's rates (one line each; "-" where a row was not measured).
summary() {
  ratio() { awk -v a="${1:-}" -v b="${2:-}" -v k="${3:-1}" 'BEGIN {if (a == "" || b == "" || b == 0) print "-"; else printf "%.2f", k * a / b}'; }
  local s="SQLite, 1 process" p="PostgreSQL, 1 process"
  echo "summary (ratios of the rates above):"
  [ ! -s "$work/ratios.txt" ] || sed 's/^/  /' "$work/ratios.txt"
  printf '  record.php against nginx (nginx / record, goal <= 1.3): %s\n' "$(ratio "${rate[nginx]:-}" "${rate[$s record]:-}")"
  printf '  record.php, PostgreSQL against SQLite (goal >= 0.8): %s\n' "$(ratio "${rate[$p record]:-}" "${rate[$s record]:-}")"
  for l in "$s" "$p"; do
    printf '  upload against servertime.php, %s (goal >= 5%%, p99 < 50 ms): %s%%, p99 %s\n' "$l" \
      "$(ratio "${rate[$l upload]:-}" "${rate[$l servertime]:-}" 100)" "${upload_p99[$l]:--}"
  done
}

# first_class_page LABEL [ENV...]: bench_class_page's class page right after a change (no
# figures kept) and the database's part of it alone, 10,000 scores in the class.
first_class_page() {
  local label=$1 tool
  tool="$(realpath "$build")/bench/bench_class_page"
  shift
  [ -x "$tool" ] || { echo "no $tool (configure with -DCORVANTA_BUILD_BENCH=ON): no first class page" >&2; return; }
  (cd "$work" && env "$@" "$tool" 'classPage:class page, first view' classFigures) >"$work/first.txt" 2>&1 || true
  local page figures
  page=$(awk '/first view":$/ {getline; print $1; exit}' "$work/first.txt")
  figures=$(awk '/classFigures/ {f = 1} f && /msecs per iteration/ {print $1; exit}' "$work/first.txt")
  printf '%-24s %-16s %10s ms/page   database part %s ms\n' "$label" "class, first" "${page:-?}" "${figures:-?}"
}

declare -A rate upload_p99
echo "wrk: $threads threads, $connections connections, ${seconds}s each; upload = 40 lines per request"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-24s %-16s %10s         %14s\n' store page rate "p99"
echo "(class: one teacher's class page, 8 connections: the server runs two of an account's at once and queues eight)"
for store in $stores; do
  case $store in
    sqlite)
      start_server sqlite "sqlite:$work/bench.db"
      fetch_record
      sign_in
      run_pages "SQLite, 1 process" "$base"
      if [ -z "${BENCH_QUICK:-}" ]; then
        # The same uploads while 50 addresses register teachers at the limit (PBKDF2 each).
        python3 bench/registration_flood.py "$base" "$seconds" >"$work/flood.txt" &
        flood=$!
        measure "SQLite, reg. flood" upload "$base"
        wait "$flood"
        sed 's/^/                         /' "$work/flood.txt"
        stop_servers
        csv_time="strftime('%Y-%m-%d %H:%M:%S', sc.at, 'unixepoch')"
        csv_client=(sqlite3 -csv "$work/ratios.db")
        page_ratios "SQLite, 1 process" "sqlite:$work/ratios.db"
      fi
      stop_servers
      if [ -x "$nginx" ]; then
        start_nginx
        measure "nginx, 1 worker" record.php "$nginx_base"
        rate[nginx]=$last_rps
        stop_nginx
      else
        echo "nginx is missing (apt-get install nginx-light): no yardstick" >&2
      fi
      ;;
    postgresql)
      start_postgres
      createdb bench1
      start_server pg1 "postgresql://corvanta@/bench1?host=$work&synchronous_commit=${PG_COMMIT:-on}"
      fetch_record
      sign_in
      run_pages "PostgreSQL, 1 process" "$base"
      stop_servers
      [ -z "${BENCH_QUICK:-}" ] || continue
      createdb ratios
      csv_time="to_char(to_timestamp(sc.at) AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS')"
      csv_client=(psql -X -q --csv -t -h "$work" -U corvanta -d ratios)
      page_ratios "PostgreSQL, 1 process" "postgresql://corvanta@/ratios?host=$work&synchronous_commit=${PG_COMMIT:-on}"
      createdb bench2
      start_server pg2a "postgresql://corvanta@/bench2?host=$work&synchronous_commit=${PG_COMMIT:-on}"
      first=$base
      start_server pg2b "postgresql://corvanta@/bench2?host=$work&synchronous_commit=${PG_COMMIT:-on}"
      sign_in
      run_pages "PostgreSQL, 2 processes" "$first" "$base"
      stop_servers
      ;;
    *) echo "unknown store $store" >&2; exit 1 ;;
  esac
done
for store in $stores; do
  [ -z "${BENCH_QUICK:-}" ] || break
  case $store in
    sqlite) first_class_page "SQLite" ;;
    postgresql) first_class_page "PostgreSQL" CORVANTA_TEST_STORE=postgresql CORVANTA_PG_BINDIR="$pg_bin" ;;
  esac
done
summary
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
