#!/usr/bin/env bash
# Saves a picture of the screen the tool of scripts/run.sh shows on (its Xvfb screen when
# there is no real one). Usage: scripts/screenshot.sh [FILE]   (default corvanta.png)
# Environment: CORVANTA_HOME, as for scripts/run.sh.
set -euo pipefail
state=${CORVANTA_HOME:-$HOME/.local/share/corvanta-demo}
out=${1:-corvanta.png}
[ -s "$state/display" ] || { echo "No running tool found in $state (start scripts/run.sh first)." >&2; exit 1; }
command -v import >/dev/null || { echo "import is missing: apt-get install imagemagick" >&2; exit 1; }
# The display and its authority file (Xvfb only lets in clients that show its cookie).
{ read -r display; read -r authority || true; } <"$state/display"
[ -z "${authority:-}" ] || export XAUTHORITY="$authority"
DISPLAY=$display import -window root "$out"
echo "$out"
