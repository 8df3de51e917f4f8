#!/usr/bin/env bash
# The two packages, made by the build's own install rules and CPack into
# out/packages/: corvantis_<version>_amd64.deb (Debian 12) and
# corvantis-<version>-windows-x64.zip. Installs what is missing, builds the
# program and its driver (no test tier) into build-pkg/ and, cross-built with
# mingw-w64, build-pkg-windows/. Runs as root when something must be installed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/out/packages

bash scripts/install-deps.sh

# A packager's build: Debian's own optimisation and hardening flags, all of
# them (dpkg-buildflags), and file names inside the binaries relative to the
# source. Given on every configure: CMake reads CXXFLAGS and LDFLAGS only on
# the first.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake --preset package -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --preset package-windows >/dev/null
ninja -C build-pkg -j2 package_files
ninja -C build-pkg-windows -j2 package_files

rm -rf "$out"
for build in build-pkg build-pkg-windows; do
  cpack --config "$build/CPackConfig.cmake" -B "$root/$build/cpack" -D CPACK_OUTPUT_FILE_PREFIX="$out" >/dev/null
done
ls -l "$out"
dpkg-deb --field "$out"/corvantis_*_amd64.deb Depends
