#!/usr/bin/env bash
# systemd-analyze verify on the service unit: any complaint fails the test. systemd looks for
# the program at its installed path, so the copy checked starts /bin/true instead; the man
# page it names is not installed here either (--man=no).
# Usage: verify_unit.sh UNIT_FILE
set -euo pipefail
unit=$1
if ! command -v systemd-analyze >/dev/null; then
  echo "SKIP: systemd-analyze is not installed"
  exit 77
fi
for line in 'User=corvanta' 'EnvironmentFile=-/etc/default/corvanta-server' 'NoNewPrivileges=yes' \
            'ProtectSystem=strict' 'ReadWritePaths=/var/lib/corvanta' 'PrivateTmp=yes' \
            'ExecStart=/usr/sbin/corvanta-server $CORVANTA_SERVER_OPTIONS'; do
  grep -qxF "$line" "$unit" || { echo "FAIL: $unit lacks the line $line"; exit 1; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sed 's#^ExecStart=/usr/sbin/corvanta-server #ExecStart=/bin/true #' "$unit" >"$dir/corvanta-server.service"
if ! out=$(systemd-analyze verify --man=no "$dir/corvanta-server.service" 2>&1) || [ -n "$out" ]; then
  echo "FAIL: systemd-analyze verify:"
  echo "$out"
  exit 1
fi
echo "systemd-analyze verify: no complaint"
systemd-analyze security --offline=true --man=no "$dir/corvanta-server.service" 2>&1 | tail -1 || true
