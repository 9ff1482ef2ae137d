#!/usr/bin/env bash
# The Windows tests, under wine: the pure libraries' test programs (cross-built), the tool's
# windows against a Linux corvanta-server (needs the Linux build, BUILD_DIR, default
# build-ci), and the installer (silent install, Start-menu entry, the installed program
# starts, silent uninstall). Prints "PASSED N/M" as its last line.
# Usage: scripts/windows-tests.sh   (after scripts/windows.sh; CORVANTA_WINE_SCREENS=DIR also
# saves screenshots of the login, main window and console at scale 1 and 2 into DIR)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
linux=${BUILD_DIR:-build-ci}
export WINEPREFIX=${WINEPREFIX:-${CORVANTA_WIN_CACHE:-/var/cache/corvanta-win}/wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
passed=0
total=0
result() { # NAME STATUS
  total=$((total + 1))
  if [ "$2" = 0 ]; then passed=$((passed + 1)); echo "PASS $1"; else echo "FAIL $1"; fi
}

# A first start makes the prefix (and Wine's font cache): 30-45 s, once.
[ -f "$WINEPREFIX/system.reg" ] || xvfb-run -a wineboot -i >/dev/null 2>&1

# 1. The test programs, each under wine (CMAKE_CROSSCOMPILING_EMULATOR).
bash scripts/windows.sh --tests >/dev/null || { echo "windows-tests.sh: the test build failed"; echo "PASSED 0/1"; exit 1; }
while read -r name status; do
  result "$name" "$status"
done < <(ctest --test-dir build-win --timeout 300 -j2 2>&1 |
  sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([a-z_0-9]*\) .*\(Passed\|Failed\|Timeout\|Exception\|Not Run\).*/\1 \2/p' |
  sed 's/ Passed$/ 0/; s/ [A-Za-z ]*$/ 1/')

# 2. The tool's windows under wine and Xvfb against the Linux server on loopback.
driver="$root/build-win/tests/test_wine_driver.exe"
if [ -x "$linux/tests/e2e/test_wine_end_to_end" ] || cmake --build "$linux" --target test_wine_end_to_end >/dev/null 2>&1; then
  for scale in 1 ${CORVANTA_WINE_SCREENS:+2}; do
    screens=
    if [ -n "${CORVANTA_WINE_SCREENS:-}" ]; then
      screens=$(winepath -w "$CORVANTA_WINE_SCREENS/scale$scale" 2>/dev/null)
      mkdir -p "$CORVANTA_WINE_SCREENS/scale$scale"
    fi
    CORVANTA_WINE_DRIVER="$driver" CORVANTA_E2E_SCREENS="$screens" QT_SCALE_FACTOR=$scale \
      ASAN_OPTIONS=detect_leaks=0 "$linux/tests/e2e/test_wine_end_to_end" >/tmp/wine-e2e.$$ 2>&1
    status=$?
    [ $status = 0 ] || tail -30 /tmp/wine-e2e.$$
    result "end_to_end_scale$scale" $status
    rm -f /tmp/wine-e2e.$$
  done
else
  result end_to_end_build 1
fi

# 3. The installer.
bash tests/windows/installer_test.sh
result installer $?

echo "PASSED $passed/$total"
[ $passed = $total ]
