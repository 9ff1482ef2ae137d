#!/usr/bin/env bash
# Runs a cross-built Windows program under wine with the toolchain's DLLs on its path, in the
# shared wine prefix (its first start builds a font cache: 30-45 s, later ones take seconds).
# Used as CMAKE_CROSSCOMPILING_EMULATOR by the Windows test build.
# Usage: scripts/wine-run.sh PROGRAM.exe [ARGS...]   (CORVANTA_WIN_TOOLCHAIN: the toolchain)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
toolchain=${CORVANTA_WIN_TOOLCHAIN:-$(bash "$here/windows-toolchain.sh" --print-dir)}
export WINEPREFIX=${WINEPREFIX:-${CORVANTA_WIN_CACHE:-/var/cache/corvanta-win}/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
# Wine shows the Linux root as drive Z:.
windows() { local p=${1//\//\\}; echo "Z:$p"; }
export WINEPATH="$(windows "$toolchain/qt6-mingw/bin");$(windows "$runtime");$(windows /usr/x86_64-w64-mingw32/lib)"
# Wine draws even a console program's hidden windows (COM, the shell): give it a screen.
run=(wine)
[ -n "${DISPLAY:-}" ] || run=(xvfb-run -a -s "-screen 0 1280x1024x24" wine)
# A Qt test program's log does not reach a pipe under wine: it writes to a file, shown after.
case $(basename "$1") in
  test_*.exe | tst_*.exe)
    log=$(mktemp /tmp/wine-test.XXXXXX)
    status=0
    "${run[@]}" "$@" -o "$(windows "$log"),txt" || status=$?
    cat "$log"
    rm -f "$log"
    exit $status ;;
esac
exec "${run[@]}" "$@"
