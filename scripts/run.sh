#!/usr/bin/env bash
# Installs what is missing, builds (only what changed since the last run), starts a local
# score server with the demo account (demo / demo) on an embedded database, and starts the
# tool pointed at it. Without a screen the tool runs under Xvfb.
#
# Environment: CORVANTA_HOME (database, mail, data folder; default
# ~/.local/share/corvanta-demo), CORVANTA_PORT (server port, default 8080), BUILD_DIR
# (default build-run). Closing the tool, Ctrl+C, or `kill $(cat $CORVANTA_HOME/run.pid)`
# stops the tool, the server and Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-run}
bash scripts/build.sh "$build" RelWithDebInfo corvanta corvanta-server

state=${CORVANTA_HOME:-$HOME/.local/share/corvanta-demo}
state=$(mkdir -p "$state" && cd "$state" && pwd)
mkdir -p "$state/data" "$state/mail"
port=${CORVANTA_PORT:-8080}
echo $$ >"$state/run.pid"

server=
tool=
stop() {
  [ -z "$tool" ] || kill "$(cat "$state/tool.pid" 2>/dev/null || echo "$tool")" 2>/dev/null || true
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -f "$state/run.pid" "$state/tool.pid" "$state/display"
}
trap stop EXIT
trap 'exit 130' INT TERM

"$build/server/corvanta-server" --listen "127.0.0.1:$port" --database "sqlite:$state/corvanta.db" \
  --mail-dir "$state/mail" --demo >"$state/server.out" 2>"$state/server.log" &
server=$!
for _ in $(seq 100); do
  grep -q '^listening on' "$state/server.out" 2>/dev/null && break
  if ! kill -0 "$server" 2>/dev/null; then
    cat "$state/server.log" >&2
    echo "The score server did not start on port $port. If another program uses it, choose another: CORVANTA_PORT=$((port + 1)) bash scripts/run.sh" >&2
    exit 1
  fi
  sleep 0.1
done
echo "Score server: http://127.0.0.1:$port (log: $state/server.log)"

command=("$build/src/app/corvanta" --data-dir "$state/data" --server "http://127.0.0.1:$port"
  --vendor "http://127.0.0.1:$port")
# The tool's own process id and display go to files, so that it can be stopped and its
# screen looked at (scripts/screenshot.sh) from another terminal.
# shellcheck disable=SC2016 # expanded by the inner sh, in the tool's own process
record='echo $$ >"$0/tool.pid"; printf "%s\n%s\n" "$DISPLAY" "${XAUTHORITY:-}" >"$0/display"; exec "$@"'
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No screen: running the tool under Xvfb; bash scripts/screenshot.sh shows it."
  xvfb-run -a -f "$state/Xauthority" -s "-screen 0 1280x800x24" sh -c "$record" "$state" "${command[@]}" &
else
  sh -c "$record" "$state" "${command[@]}" &
fi
tool=$!
wait "$tool"
