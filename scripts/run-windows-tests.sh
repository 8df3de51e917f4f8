#!/usr/bin/env bash
# The Windows tiers under Wine: builds the Windows targets with warnings as
# errors (scripts/build-windows.sh), then runs their CTest tiers in a Wine
# prefix of this run's own on a private Xvfb display, and removes both
# afterwards, also when tests fail. CORVANTIS_WINDOWS_TIERS picks the tiers
# (a CTest label expression; all of them by default).
#
# The tiers in which Corvantis.exe does its real job also need Firebird's
# client for Windows (scripts/build-fbclient-windows.sh: built once, then
# taken from its cache), the Linux program that each Windows run is compared
# with (built in build/ as scripts/run-tests.sh builds it), and the test
# server, started here unless it runs already.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/build-windows.sh -DCORVANTIS_WERROR=ON || { echo "the Windows build failed"; exit 1; }
CORVANTIS_FBCLIENT_DLL=$(bash scripts/build-fbclient-windows.sh) ||
  { echo "building Firebird's client for Windows failed"; exit 1; }
export CORVANTIS_FBCLIENT_DLL
{ cmake --preset dev >/dev/null && ninja -C build -j2 Corvantis dbvfb reportobserver; } ||
  { echo "the Linux build failed"; exit 1; }
export CORVANTIS_BIN_DIR=$root/build/bin
server=$(bash scripts/fb-server-start.sh) || { echo "$server"; echo "the Firebird test server did not start"; exit 1; }

# shellcheck source=wine-prefix.sh
source scripts/wine-prefix.sh
logs=$(mktemp -d /tmp/corvantis-wine-logs-XXXXXX)
cleanup() {
  wine_prefix_stop
  rm -rf "$logs"
  if [[ $server != *"already running"* ]]; then bash scripts/fb-server-stop.sh; fi
}
trap cleanup EXIT
wine_prefix_start "$logs" || exit 1

ctest --test-dir build-windows --output-on-failure --timeout 300 ${CORVANTIS_WINDOWS_TIERS:+-L "$CORVANTIS_WINDOWS_TIERS"}
status=$?

# GoogleTest's own count for each tier (CTest runs a tier as one test).
awk '/^[0-9]+\/[0-9]+ Test: / { tier = $3 }
     /^\[==========\] [0-9]+ tests? from .* ran/ { print "  " tier ": " $2 " tests under Wine" }' \
  build-windows/Testing/Temporary/LastTest.log
exit $status
