#!/usr/bin/env bash
# Installs what is missing, builds, starts a local score server with the demo account
# (demo / demo) on an embedded database, and starts the tool pointed at it.
# Without a screen the tool runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${BUILD_DIR:-build-run}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANTA_BUILD_TESTS=OFF -DCORVANTA_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"

state=${CORVANTA_HOME:-$HOME/.local/share/corvanta-demo}
mkdir -p "$state/data" "$state/mail"
port=${CORVANTA_PORT:-8080}
"$build/server/corvanta-server" --listen "127.0.0.1:$port" --database "sqlite:$state/corvanta.db" \
  --mail-dir "$state/mail" --demo &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
sleep 1

tool=("$build/src/app/corvanta" --data-dir "$state/data" --server "http://127.0.0.1:$port" --vendor "http://127.0.0.1:$port")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No screen: running the tool under Xvfb (display :99)."
  xvfb-run -n 99 -s "-screen 0 1280x800x24" "${tool[@]}"
else
  "${tool[@]}"
fi
