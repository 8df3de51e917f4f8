#!/usr/bin/env bash
# The Windows program, cross-built here with mingw-w64: installs what is
# missing, builds into build-windows/ with cmake/mingw-w64-x86_64.cmake and
# puts what a Windows user gets into out/windows/: dbvfb.dll, Corvantis.exe
# (once the build makes it) and the two INI templates with the Windows
# library names. Extra arguments go to cmake (the test run passes
# -DCORVANTIS_WERROR=ON). Runs as root when something must be installed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build-windows
out=out/windows

bash scripts/install-deps.sh windows

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCORVANTIS_WERROR=OFF "$@" >/dev/null
ninja -C "$build" -j2

rm -rf "$out"
mkdir -p "$out"
# The build keeps its symbols for debugging; the shipped copies need none.
x86_64-w64-mingw32-strip -o "$out/dbvfb.dll" "$build/bin/dbvfb.dll"
if [ -f "$build/bin/Corvantis.exe" ]; then
  x86_64-w64-mingw32-strip -o "$out/Corvantis.exe" "$build/bin/Corvantis.exe"
else
  echo "build-windows: this build makes no Corvantis.exe yet; $out holds the driver and the INI files only"
fi
# The templates name the Linux libraries; Windows gets the DLLs' names (each
# line keeps its CR LF end).
sed -e 's/^LibraryName=[^\r]*/LibraryName=dbvfb.dll/' -e 's/^VendorLib=[^\r]*/VendorLib=fbclient.dll/' \
  scripts/templates/dbvdrivers.ini >"$out/dbvdrivers.ini"
cp scripts/templates/dbvconnections.ini "$out/dbvconnections.ini"
ls -l "$out"
