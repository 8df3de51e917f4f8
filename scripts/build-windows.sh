#!/usr/bin/env bash
# The Windows program, cross-built here with mingw-w64: installs what is
# missing, builds into build-windows/ (the preset windows: cmake/mingw-w64-x86_64.cmake) and
# puts what a Windows user gets into out/windows/: Corvantis.exe, dbvfb.dll
# and the two INI templates with the Windows library names. Extra arguments
# go to cmake (the test run passes -DCORVANTIS_WERROR=ON). Runs as root when
# something must be installed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-windows
out=out/windows

bash scripts/install-deps.sh windows

cmake --preset windows "$@" >/dev/null
ninja -C "$build" -j2

rm -rf "$out"
# The install rules (cmake/Packaging.cmake) give the layout, the same as the
# zip's. The build keeps its symbols for debugging; the shipped copies need none.
cmake --install "$build" --prefix "$out" --strip >/dev/null
ls -l "$out"
