#!/usr/bin/env bash
# The installer under wine: "setup.exe /S /SERVER=URL" installs silently, registers the
# uninstaller in "Apps" and the corvanta:// links, writes corvanta.ini, makes the Start-menu
# entry; the installed corvanta.exe starts and shows its window; "uninstall.exe /S" removes
# the program, its entry and its registration. Needs dist/ from scripts/windows.sh.
set -uo pipefail
cd "$(dirname "$0")/../.."
export WINEPREFIX=${WINEPREFIX:-${CORVANTA_WIN_CACHE:-/var/cache/corvanta-win}/wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
setup=$(ls -t dist/corvanta-*-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || { echo "installer_test.sh: no dist/corvanta-*-setup.exe (run scripts/windows.sh)"; exit 1; }
version=$(basename "$setup" | sed 's/^corvanta-\(.*\)-setup.exe$/\1/')
failures=0
check() { # DESCRIPTION COMMAND...
  if "${@:2}"; then echo "  ok: $1"; else echo "  FAILED: $1"; failures=$((failures + 1)); fi
}
regvalue() { # KEY VALUE ("" for the default value): its data, or nothing
  local args=(/v "$2")
  [ -z "$2" ] && args=(/ve)
  wine reg query "$1" "${args[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*REG_[A-Z_]*    //p' | head -1
}
# Per user, or for all users when wine runs it as an administrator.
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvanta'
hive() { for h in HKCU HKLM; do [ -n "$(regvalue "$h\\$uninstall_key" DisplayName)" ] && echo $h && return; done; }

# One install, check and uninstall: SERVER_URL, the hive it must register in, and the
# installer's other arguments.
round() {
  local server=$1 expected=$2
  shift 2
  echo "setup.exe /S /SERVER=$server $*"
  wine "$setup" /S "/SERVER=$server" "$@"
  h=$(hive)
  check "the uninstaller is registered in Apps" test -n "$h"
  [ -n "$h" ] || return
  check "installed for $([ "$expected" = HKLM ] && echo all users || echo this user)" test "$h" = "$expected"
  instdir=$(winepath -u "$(regvalue "$h\\$uninstall_key" InstallLocation)" 2>/dev/null)
  echo "  installed ($h) into $instdir"
  check "corvanta.exe is installed" test -f "$instdir/corvanta.exe"
  check "the Windows platform plugin is installed" test -f "$instdir/platforms/qwindows.dll"
  check "Qt's Chinese texts are installed" test -f "$instdir/translations/qtbase_zh_CN.qm"
  check "Apps shows the version" test "$(regvalue "$h\\$uninstall_key" DisplayVersion)" = "$version"
  check "corvanta.ini holds the server" test "$(tr -d '\r' <"$instdir/corvanta.ini")" = "server=$server"
  check "corvanta:// opens the tool" test "$(regvalue "$h\\Software\\Classes\\corvanta\\shell\\open\\command" "")" = \
    "\"$(winepath -w "$instdir" 2>/dev/null)\\corvanta.exe\" \"%1\""
  check "corvanta:// is a URL scheme" wine reg query "$h\\Software\\Classes\\corvanta" /v "URL Protocol" >/dev/null 2>&1
  if [ "$h" = HKCU ]; then
    menu=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs
  else
    menu=$(winepath -u "$(wine cmd /c echo %ProgramData% 2>/dev/null | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs
  fi
  check "the Start-menu entry exists" test -f "$menu/Corvan.lnk"

  # The installed program starts from its folder and shows its window (the wine launcher
  # may hand over and exit: the window is what counts). The wine server the silent install
  # started has no display: a program it runs would open its window nowhere.
  wineserver -k 2>/dev/null
  xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    cd "$1" && wine ./corvanta.exe & pid=$!
    for _ in $(seq 1 90); do
      xwininfo -root -tree 2>/dev/null | grep -q "\"Corvanta" && { wine taskkill /F /IM corvanta.exe >/dev/null 2>&1; wait $pid 2>/dev/null; exit 0; }
        sleep 1
    done
    wine taskkill /F /IM corvanta.exe >/dev/null 2>&1; exit 1' _ "$instdir"
  check "the installed corvanta.exe starts and shows its window" test $? = 0
  sleep 2

  # Silent uninstall: the uninstaller copies itself away and returns at once; wait for it.
  wine "$instdir/uninstall.exe" /S
  for _ in $(seq 1 60); do [ -e "$instdir" ] || break; sleep 1; done
  check "the install folder is gone" test ! -e "$instdir"
  check "the Start-menu entry is gone" test ! -e "$menu/Corvan.lnk"
  check "Apps no longer lists it" test -z "$(hive)"
  check "corvanta:// is unregistered" test -z "$(regvalue "$h\\Software\\Classes\\corvanta\\shell\\open\\command" "")"

}

# Under wine the user is an administrator: /S alone installs for all users, /CURRENTUSER
# for this user only (as a user without administrator rights gets by default).
round http://127.0.0.1:8080/school HKLM
round https://scores.school.example HKCU /CURRENTUSER

# A server address that is not one stops the installer before it installs anything.
wine "$setup" /S "/SERVER=ftp://x"
check "a bad /SERVER is refused" test -z "$(hive)"

[ $failures = 0 ] && echo "installer_test.sh: all checks passed" || echo "installer_test.sh: $failures failed"
[ $failures = 0 ]
