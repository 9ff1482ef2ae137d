#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with (as root, or via sudo).
# postgresql-15: initdb and pg_ctl for the tests' throw-away PostgreSQL servers (run as its
# "postgres" user when the tests run as root, through runuser from util-linux).
# Names read aloud: Qt's text to speech through speech-dispatcher with espeak-ng's Mandarin
# voice (qt6-declarative-dev: its CMake package needs QmlIntegration, which Debian does not pull
# in); espeak-ng and sox also let a test render a name to a sound file and measure it.
# chromium: the headless browser of the web pages test (skipped without it).
# libmicrohttpd-dev: the server's HTTP engine. openssl: the HTTPS test makes its certificate.
# nginx-light: the yardstick of bench/server_bench.sh.
# fonts-liberation, fonts-lato: faces for Arial Narrow and Arial Black; qt6-translations-l10n:
# Qt's own buttons and dialogs in Chinese.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev
  libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev libmicrohttpd-dev
  openssl nginx-light
  postgresql-15 util-linux
  xvfb xauth fonts-noto-cjk fonts-comic-neue fonts-liberation fonts-lato imagemagick
  qt6-translations-l10n
  libqrencode-dev chromium
  qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng espeak-ng sox
  wrk
  clang libclang-rt-14-dev
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
