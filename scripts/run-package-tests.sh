#!/usr/bin/env bash
# The package tests: makes both packages (scripts/package.sh), checks the
# Debian package as built, installs it, runs the installed program on the test
# server and removes it again (tests/package/test_deb_*.sh; root), and runs
# the unpacked zip's Corvantis.exe under Wine in a prefix of this run's own
# (tests/package/test_zip_wine.sh). Needs the Firebird test server
# (scripts/fb-server-start.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/package.sh || { echo "making the packages failed"; exit 1; }
export CORVANTIS_SOURCE_DIR=$root CORVANTIS_PACKAGE_DIR=$root/out/packages
export CORVANTIS_PACKAGE_BUILD_DIR=$root/build-pkg CORVANTIS_WINDOWS_BIN_DIR=$root/build-pkg-windows/bin

failed=0
for test in tests/package/test_deb_*.sh; do
  echo "-- $test"
  bash "$test" || failed=1
done

echo "-- tests/package/test_zip_wine.sh"
# boxreader.exe reads the program's message boxes; it is built beside the
# packaged programs, never packaged.
if ninja -C build-pkg-windows -j2 boxreader >/dev/null; then
  # shellcheck source=wine-prefix.sh
  source scripts/wine-prefix.sh
  logs=$(mktemp -d /tmp/corvantis-wine-logs-XXXXXX)
  trap 'wine_prefix_stop; rm -rf "$logs"' EXIT
  if wine_prefix_start "$logs"; then
    bash tests/package/test_zip_wine.sh || failed=1
  else
    failed=1
  fi
else
  echo "building boxreader.exe failed"; failed=1
fi
exit $failed
