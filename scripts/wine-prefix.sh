# Sourced: a Wine prefix of the caller's own on a private Xvfb display, for
# the Windows program's tests (scripts/run-windows-tests.sh, the zip's test).
# shellcheck shell=bash
#
# wine_prefix_start LOGDIR: starts Xvfb and a fresh prefix's Wine server,
#   boots the prefix and exports WINEPREFIX, WINEDLLOVERRIDES, WINEDEBUG and
#   DISPLAY; its logs go to LOGDIR. Returns non-zero when any of it fails.
# wine_prefix_stop: ends the prefix's server (and every program left running
#   in it) and Xvfb, and removes the prefix. Safe to call at any time.
# shellcheck source=xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
# shellcheck source=lib/wine.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine.sh"
WINE_SERVER_PID=

wine_prefix_start() {
  local logs=$1
  WINEPREFIX=$(mktemp -d /tmp/corvantis-wine-XXXXXX)
  export WINEPREFIX WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
  xvfb_start "$logs/xvfb.log" || return 1
  # The server first, on its own: one started by the first wine command would
  # keep the caller's output pipes open after the command ends.
  "$WINE_SERVER" -p -f >"$logs/wineserver.log" 2>&1 &
  WINE_SERVER_PID=$!
  "$WINE" wineboot -i >"$logs/wineboot.log" 2>&1 || { echo "wineboot failed:"; cat "$logs/wineboot.log"; return 1; }
  # As on a Traditional Chinese Windows, the dialog and window fonts fall back
  # to a Chinese font for what they lack, so that Big5 text shows as characters.
  local font
  for font in "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma"; do
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
      /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >>"$logs/wineboot.log" 2>&1 ||
      { echo "linking the font $font failed:"; cat "$logs/wineboot.log"; return 1; }
  done
}

# Whether the server started here still runs (an ended one not yet waited
# for is a zombie, and counts as ended).
wine_server_running() {
  local state
  { read -r _ _ state _ <"/proc/$WINE_SERVER_PID/stat"; } 2>/dev/null && [ "$state" != Z ]
}

wine_prefix_stop() {
  if [ -n "$WINE_SERVER_PID" ]; then
    "$WINE_SERVER" -k 2>/dev/null || true  # the prefix's server, and any program left running in it
    # A server whose socket has gone does not hear -k: it is ended by the PID
    # it was started with, so that the stop never waits for ever.
    local tenths=0
    while wine_server_running && [ "$tenths" -lt 50 ]; do
      sleep 0.1
      tenths=$((tenths + 1))
    done
    if wine_server_running; then kill -KILL "$WINE_SERVER_PID" 2>/dev/null || true; fi
    wait "$WINE_SERVER_PID" 2>/dev/null || true
    WINE_SERVER_PID=
  fi
  xvfb_stop
  if [ -n "${WINEPREFIX:-}" ]; then rm -rf "$WINEPREFIX"; fi
}
