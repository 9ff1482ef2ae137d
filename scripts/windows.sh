#!/usr/bin/env bash
# The tool as a Windows program: cross-builds corvanta.exe with mingw-w64 against the cached
# toolchain (scripts/windows-toolchain.sh), lays out dist/windows/ and makes the installer
# dist/corvanta-<version>-setup.exe (NSIS) and the portable dist/corvanta-<version>-win64.zip.
# Usage: scripts/windows.sh [--tests]   (--tests also builds the test programs for wine)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/compiler-cache.sh
tests=OFF
[ "${1:-}" = --tests ] && tests=ON

if ! toolchain=$(bash scripts/windows-toolchain.sh --print-dir | tail -1) || [ ! -d "$toolchain" ]; then
  echo "windows.sh: no Windows toolchain (scripts/windows-toolchain.sh makes it)" >&2
  exit 1
fi
qt="$toolchain/qt6-mingw"
build=${WIN_BUILD_DIR:-build-win}
host=x86_64-w64-mingw32

if [ ! -f "$build/build.ninja" ] || ! grep -q "$toolchain" "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain/mingw.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="/usr/$host;$qt" \
    -DQRENCODE_INCLUDE_DIR="$toolchain/qrencode/include" \
    -DQRENCODE_LIBRARY="$toolchain/qrencode/lib/libqrencode.a" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCORVANTA_WERROR=ON -DCORVANTA_BUILD_TESTS=$tests >/dev/null
else
  cmake -S . -B "$build" -DCORVANTA_BUILD_TESTS=$tests >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
[ $tests = ON ] && exit 0

version=$(cat "$build/corvanta-version.txt")
out=dist/windows
rm -rf "$out"
mkdir -p "$out/platforms" "$out/styles" "$out/tls" "$out/translations"
cp "$build/src/app/corvanta.exe" "$out/"
$host-strip "$out/corvanta.exe"
cp "$qt/plugins/platforms/qwindows.dll" "$out/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$out/styles/"
cp "$qt/plugins/tls/qschannelbackend.dll" "$out/tls/"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$out/translations/"

# The DLLs the program and its plugins import, found among Qt's and mingw's, followed to
# their own imports; Windows' own DLLs are left out.
runtime=$(dirname "$($host-g++-posix -print-file-name=libstdc++-6.dll)")
search=("$qt/bin" "$runtime" "/usr/$host/lib")
declare -A seen=()
queue=("$out/corvanta.exe" "$out"/platforms/*.dll "$out"/styles/*.dll "$out"/tls/*.dll)
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  for dll in $($host-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    key=${dll,,}
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    for dir in "${search[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$out/"
        queue+=("$out/$dll")
        break
      fi
    done
  done
done

# Debug sections off (the mingw runtime comes with them): a third of the size.
find "$out" -name '*.dll' -exec $host-strip --strip-unneeded {} +
echo "windows.sh: $out ($(du -sh "$out" | cut -f1)), version $version"

# The portable copy.
zip=dist/corvanta-$version-win64.zip
rm -f "$zip"
(cd dist && mv windows Corvanta && zip -qr "corvanta-$version-win64.zip" Corvanta; mv Corvanta windows)
echo "windows.sh: $zip ($(du -h "$zip" | cut -f1))"

# The installer.
setup=dist/corvanta-$version-setup.exe
# Windows' file version has four numbers: 2.6.1 is 2.6.1.0.
fileversion=$(sed -n 's/^project(Corvanta VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
while [ "$(tr -cd . <<<"$fileversion" | wc -c)" -lt 3 ]; do fileversion=$fileversion.0; done
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DFILEVERSION="$fileversion" \
  -DSOURCE="$root/$out" -DOUTFILE="$root/$setup" packaging/windows/corvanta.nsi
echo "windows.sh: $setup ($(du -h "$setup" | cut -f1))"
