#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with (as root, or via sudo).
# dpkg-dev (dpkg-shlibdeps), file, binutils (strip), help2man (man pages), lintian,
# desktop-file-utils (the launcher's check) and man-db (the man pages as read): the Debian
# packages (scripts/package.sh) and their test.
# postgresql-15: initdb and pg_ctl for the tests' throw-away PostgreSQL servers (run as its
# "postgres" user when the tests run as root, through runuser from util-linux).
# Names read aloud: Qt's text to speech through speech-dispatcher with espeak-ng's Mandarin
# voice (qt6-declarative-dev: its CMake package needs QmlIntegration, which Debian does not pull
# in); espeak-ng and sox also let a test render a name to a sound file and measure it.
# chromium: the headless browser of the web pages test (skipped without it); poppler-utils: its
# check of a printed page (pdftotext, pdfinfo, pdftoppm). zlib1g-dev: gzip for the web pages.
# libmicrohttpd-dev: the server's HTTP engine; libpq-dev: the server looks at its PostgreSQL
# connections before use. openssl: the HTTPS test makes its certificate.
# nginx-light: the yardstick of bench/server_bench.sh. python3: bench/slow_clients.py.
# unicode-data: Unihan readings, to check the committed pinyin reading table (test skipped without it).
# fonts-liberation, fonts-lato: faces for Arial Narrow and Arial Black; qt6-translations-l10n:
# Qt's own buttons and dialogs in Chinese.
# The Windows build (scripts/windows-toolchain.sh, windows.sh, windows-tests.sh): mingw-w64 with
# posix threads, nsis, zip, wine (64-bit) and x11-utils (xwininfo: the installed program's window);
# qt6-base-dev-tools are the host tools of Qt's cross build, dpkg-dev unpacks Debian's sources.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev
  libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev libmicrohttpd-dev libpq-dev zlib1g-dev
  openssl nginx-light
  postgresql-15 util-linux
  xvfb xauth fonts-noto-cjk fonts-comic-neue fonts-liberation fonts-lato imagemagick
  qt6-translations-l10n
  libqrencode-dev chromium poppler-utils
  qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng espeak-ng sox
  wrk python3
  unicode-data
  clang libclang-rt-14-dev
  dpkg-dev file binutils help2man lintian desktop-file-utils man-db
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nsis zip wine wine64 x11-utils qt6-base-dev-tools ccache
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The web pages test's node packages (axe-core, html-validate, puppeteer-core to drive Debian's
# chromium), in build-tools/ beside the sources; without node or the registry the test skips.
if ! command -v npm >/dev/null; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends nodejs npm || true
fi
tools="$(cd "$(dirname "$0")/.." && pwd)/build-tools"
if command -v npm >/dev/null && [ ! -f "$tools/node_modules/puppeteer-core/package.json" ]; then
  mkdir -p "$tools"
  PUPPETEER_SKIP_DOWNLOAD=1 npm install --prefix "$tools" --no-audit --no-fund --silent \
    axe-core@4.14.1 html-validate@10 puppeteer-core@24 || echo "deps.sh: the node packages did not install; the web checks will skip"
fi
