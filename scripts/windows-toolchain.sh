#!/usr/bin/env bash
# Makes the Windows cross toolchain of the tool: Qt 6.4.2 qtbase and libqrencode for
# x86_64-w64-mingw32 (posix threads), both from Debian's own source packages, built with
# Debian's mingw-w64. The result goes into a cache folder named after this script's hash,
# so a changed recipe makes a new toolchain and an unchanged one is reused:
#   ${CORVANTA_WIN_CACHE:-/var/cache/corvanta-win}/<hash>/{qt6-mingw,qrencode,mingw.cmake}
#
# Usage: scripts/windows-toolchain.sh [--prebuilt QT_TARBALL] [--print-dir] [--check]
#   --prebuilt FILE  unpack this Qt build (a tarball holding qt6-mingw/) instead of
#                    building Qt from source; also CORVANTA_QT_PREBUILT=FILE
#   --print-dir      print the toolchain folder (made or reused) as the last line
#   --check          make nothing: exit 0 when the toolchain is in its cache, else 1
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
self="$here/$(basename "$0")"

prebuilt=${CORVANTA_QT_PREBUILT:-}
print_dir=0
check=0
while [ $# -gt 0 ]; do
  case $1 in
    --prebuilt) prebuilt=$2; shift 2 ;;
    --print-dir) print_dir=1; shift ;;
    --check) check=1; shift ;;
    *) echo "windows-toolchain.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

key=$(sha256sum "$self" | cut -c1-16)
root=${CORVANTA_WIN_CACHE:-/var/cache/corvanta-win}
dir="$root/$key"

if [ -f "$dir/complete" ]; then
  [ $check = 1 ] && exit 0
  [ $print_dir = 1 ] && echo "$dir"
  exit 0
fi
[ $check = 1 ] && exit 1

host=x86_64-w64-mingw32
jobs=$(nproc)
mkdir -p "$root"
# Whatever an interrupted run left is started over.
rm -rf "$dir.partial"
mkdir -p "$dir.partial"
out="$dir.partial"
work="$out/work"
mkdir -p "$work"

# What this needs of Debian beyond the tool's own build (scripts/deps.sh installs them).
for tool in $host-g++-posix $host-gcc-posix $host-windres cmake ninja; do
  command -v "$tool" >/dev/null || { echo "windows-toolchain.sh: $tool is missing (run scripts/deps.sh)" >&2; exit 1; }
done

# The CMake toolchain file both builds and the tool use.
cat >"$out/mingw.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
EOF

# A private apt configuration with deb-src lines for the machine's own suites: the
# machine's source lists stay as they are.
apt_opts=()
fetch_source() {
  local package=$1
  if [ ${#apt_opts[@]} -eq 0 ]; then
    local apt="$work/apt"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    local lists
    lists=$(find /etc/apt/sources.list /etc/apt/sources.list.d -maxdepth 1 -type f \
      \( -name '*.list' -o -name '*.sources' -o -name sources.list \) 2>/dev/null || true)
    : >"$apt/sources.list"
    local f
    for f in $lists; do
      case $f in
        *.list | */sources.list)
          sed -n 's/^deb \(.*deb\.debian\.org.*\)$/deb-src \1/p' "$f" >>"$apt/sources.list" ;;
        *.sources)
          # deb822: every Debian stanza once more as deb-src.
          awk 'BEGIN{RS=""; ORS="\n\n"} /deb\.debian\.org/ {sub(/Types: deb/, "Types: deb-src"); print}' \
            "$f" >"$apt/$(basename "$f")" ;;
      esac
    done
    apt_opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt"
      -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Debug::NoLocking=1")
    apt-get "${apt_opts[@]}" update >/dev/null
  fi
  # The mirror may have the upstream tarball but no longer the Debian changes of that
  # version: the upstream tarball alone then serves (the libraries build as they are).
  (
    cd "$work"
    apt-get "${apt_opts[@]}" source --download-only "$package" >"$package-fetch.log" 2>&1 || true
    local dsc orig
    dsc=$(ls -t "$package"_*.dsc 2>/dev/null | head -1)
    orig=$(ls -t "$package"_*.orig.tar.* 2>/dev/null | head -1)
    if [ -n "$dsc" ] && dpkg-source --no-check -x "$dsc" "$package" >/dev/null 2>&1; then
      exit 0
    fi
    [ -n "$orig" ] || { tail -1 "$package-fetch.log"; exit 1; }
    rm -rf "$package" && mkdir "$package"
    tar -C "$package" --strip-components=1 -xf "$orig"
  )
}

# --- Qt 6.4.2 qtbase -------------------------------------------------------------------
if [ -n "$prebuilt" ]; then
  echo "windows-toolchain.sh: unpacking the prebuilt Qt $prebuilt"
  tar -C "$out" -xJf "$prebuilt"
  [ -f "$out/qt6-mingw/lib/cmake/Qt6/Qt6Config.cmake" ] ||
    { echo "windows-toolchain.sh: $prebuilt holds no qt6-mingw/ Qt build" >&2; exit 1; }
else
  command -v /usr/lib/qt6/libexec/moc >/dev/null ||
    { echo "windows-toolchain.sh: Debian's qt6-base-dev-tools (the host tools) are missing" >&2; exit 1; }
  echo "windows-toolchain.sh: building Qt 6.4.2 qtbase for Windows from Debian's source:"
  echo "  about 1,300 build steps, an hour on 2 cores (96 MB installed); started $(date -u +%H:%M) UTC"
  fetch_source qt6-base
  cmake -S "$work/qt6-base" -B "$work/qt-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$out/mingw.cmake" \
    -DCMAKE_INSTALL_PREFIX="$out/qt6-mingw" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_tabletevent=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_icu=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  cmake --build "$work/qt-build" -j"$jobs"
  cmake --install "$work/qt-build" >/dev/null
fi

# --- libqrencode (static: no extra DLL) ------------------------------------------------
# Without it the tool builds without QR codes and says why on Windows.
if fetch_source qrencode 2>"$work/qrencode.log"; then
  cmake -S "$work/qrencode" -B "$work/qrencode-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$out/mingw.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$out/qrencode" -DBUILD_SHARED_LIBS=OFF \
    -DWITH_TOOLS=OFF -DWITH_TESTS=OFF -DWITHOUT_PNG=ON >>"$work/qrencode.log"
  cmake --build "$work/qrencode-build" -j"$jobs" >>"$work/qrencode.log"
  cmake --install "$work/qrencode-build" >>"$work/qrencode.log"
else
  echo "windows-toolchain.sh: Debian's qrencode source could not be fetched; QR codes stay" \
    "off on Windows ($(tail -1 "$work/qrencode.log"))" >&2
fi

rm -rf "$work"
touch "$out/complete"
rm -rf "$dir"
mv "$out" "$dir"
echo "windows-toolchain.sh: toolchain ready in $dir ($(du -sh "$dir" | cut -f1))"
[ $print_dir = 1 ] && echo "$dir"
exit 0
