#!/usr/bin/env bash
# The Windows tiers under Wine: builds the Windows targets with warnings as
# errors (scripts/build-windows.sh), then runs their CTest tiers in a Wine
# prefix of this run's own on a private Xvfb display, and removes both
# afterwards, also when tests fail. CORVANTIS_WINDOWS_TIERS picks the tiers
# (a CTest label expression; all of them by default).
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh -DCORVANTIS_WERROR=ON || { echo "the Windows build failed"; exit 1; }

# Debian's wine64 keeps its programs outside the PATH.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
source scripts/xvfb.sh

WINEPREFIX=$(mktemp -d /tmp/corvantis-wine-XXXXXX)
export WINEPREFIX WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
logs=$(mktemp -d /tmp/corvantis-wine-logs-XXXXXX)
server_pid=

cleanup() {
  if [ -n "$server_pid" ]; then
    "$wineserver" -k 2>/dev/null || true  # the prefix's server, and any program left running in it
    wait "$server_pid" 2>/dev/null || true
  fi
  xvfb_stop
  rm -rf "$WINEPREFIX" "$logs"
}
trap cleanup EXIT

xvfb_start "$logs/xvfb.log" || exit 1
# The server first, on its own: one started by the first wine command would
# keep the caller's output pipes open after the command ends.
"$wineserver" -p -f >"$logs/wineserver.log" 2>&1 &
server_pid=$!
"$wine" wineboot -i >"$logs/wineboot.log" 2>&1 || { echo "wineboot failed:"; cat "$logs/wineboot.log"; exit 1; }
# As on a Traditional Chinese Windows, the dialog and window fonts fall back to
# a Chinese font for what they lack, so that Big5 text shows as characters.
for font in "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma"; do
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
    /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >>"$logs/wineboot.log" 2>&1 ||
    { echo "linking the font $font failed:"; cat "$logs/wineboot.log"; exit 1; }
done

ctest --test-dir build-windows --output-on-failure --timeout 300 ${CORVANTIS_WINDOWS_TIERS:+-L "$CORVANTIS_WINDOWS_TIERS"}
status=$?

# GoogleTest's own count for each tier (CTest runs a tier as one test).
awk '/^[0-9]+\/[0-9]+ Test: / { tier = $3 }
     /^\[==========\] [0-9]+ tests? from .* ran/ { print "  " tier ": " $2 " tests under Wine" }' \
  build-windows/Testing/Temporary/LastTest.log
exit $status
