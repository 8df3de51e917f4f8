# Shared steps of the Windows program's end-to-end tests under Wine
# (tests/wine/test_*.sh): a folder of the program's own, the per-user settings
# in the prefix's registry, the program started as Windows starts it, and its
# windows read and answered through boxreader.exe.
#
# Runs inside scripts/run-windows-tests.sh, which sets WINEPREFIX and DISPLAY;
# ctest sets CORVANTIS_WINDOWS_BIN_DIR (the Windows build's programs) and
# CORVANTIS_SOURCE_DIR.
set -euo pipefail
# shellcheck source=../../scripts/lib/outcome.sh
source "$CORVANTIS_SOURCE_DIR/scripts/lib/outcome.sh"
# shellcheck source=../../scripts/lib/wine.sh
source "$CORVANTIS_SOURCE_DIR/scripts/lib/wine.sh"

WINE_DIR=$(mktemp -d /tmp/corvantis-wine-e2e-XXXXXX)
WINE_APP=$WINE_DIR/app
PROGRAM_PID=
PROGRAM_STATUS=
SETTINGS_KEY='HKCU\Software\Aldmark\Dbvance'

wine_cleanup() {
  if [ -n "$PROGRAM_PID" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
    kill -KILL "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
  fi
  settings_clear
  rm -rf "$WINE_DIR"
}
trap wine_cleanup EXIT

[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] || fail "run through scripts/run-windows-tests.sh (WINEPREFIX and DISPLAY)"

# windows_path PATH: the path as the program sees it (drive Z: is the host's root).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# app_folder FILE...: a fresh folder with Corvantis.exe and the given files of
# the Windows build beside it.
app_folder() {
  rm -rf "$WINE_APP"
  mkdir -p "$WINE_APP"
  cp "$CORVANTIS_WINDOWS_BIN_DIR/Corvantis.exe" "$WINE_APP/"
  local file
  for file in "$@"; do cp "$CORVANTIS_WINDOWS_BIN_DIR/$file" "$WINE_APP/"; done
}

# write_ini FILE TEXT: the file with CR LF line ends, as Windows editors write it.
write_ini() { printf '%s\n' "$2" | sed 's/$/\r/' >"$1"; }

settings_clear() { "$WINE" reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1 || true; }

# settings_set NAME TYPE VALUE: one per-user setting (TYPE: REG_SZ, REG_DWORD...).
settings_set() {
  "$WINE" reg add "$SETTINGS_KEY" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1 || fail "writing the setting $1 failed"
}

# start_windows_program [maximised|minimised|shortcut-minimised]: Corvantis.exe from
# its folder, as Windows starts it: plain, through start /max or /min (which
# pass SW_SHOWMAXIMIZED and SW_SHOWMINIMIZED), or with the SW_SHOWMINNOACTIVE
# that a shortcut set to "Run: Minimized" passes. PROGRAM_STATUS is set by
# wait_exit.
start_windows_program() {
  : >"$WINE_DIR/program.log"
  local program=$WINE_APP/Corvantis.exe
  case "${1:-}" in
    maximised) "$WINE" start /wait /max /unix "$program" >"$WINE_DIR/program.log" 2>&1 & ;;
    minimised) "$WINE" start /wait /min /unix "$program" >"$WINE_DIR/program.log" 2>&1 & ;;
    shortcut-minimised) boxreader run 7 "$(windows_path "$program")" >"$WINE_DIR/program.log" 2>&1 & ;;
    *) "$WINE" "$program" >"$WINE_DIR/program.log" 2>&1 & ;;
  esac
  PROGRAM_PID=$!
}

# shellcheck source=../support/program-process.sh
source "$CORVANTIS_SOURCE_DIR/tests/support/program-process.sh"

boxreader() { "$WINE" "$CORVANTIS_WINDOWS_BIN_DIR/boxreader.exe" "$@"; }

# expect_box SECONDS ICON CAPTION TEXT: the next message box shows exactly
# these (TEXT escaped as boxreader prints it); it is then answered with OK.
expect_box() {
  local seen
  seen=$(boxreader wait "$1") || fail "no message box within $1 s; the program's output: $(cat "$WINE_DIR/program.log")"
  [ "$seen" = "$2"$'\t'"$3"$'\t'"$4" ] || fail "the box shows '$seen', expected '$2	$3	$4'"
  boxreader ok || fail "the box did not close on OK"
}

# expect_window_stays_then_close WHY: after the report the main window is
# still open; closing it ends the program with 0.
expect_window_stays_then_close() {
  boxreader shown FormVelmar 5 || fail "$1: the main window is not open after the report"
  ! wait_exit 1 || fail "$1: the program ended by itself (status $PROGRAM_STATUS)"
  boxreader close FormVelmar || fail "$1: the main window could not be closed"
  wait_exit 20 || fail "$1: closing the window did not end the program"
  [ "$PROGRAM_STATUS" = 0 ] || fail "$1: exit status $PROGRAM_STATUS"
}

# expect_state TITLE PATTERN WHY: the window's state as boxreader state prints
# it matches the shell PATTERN within 5 s (activation follows a closed box a
# moment later).
expect_state() {
  local seen _
  for _ in $(seq 25); do
    seen=$(boxreader state "$1") && [[ "$seen" == $2 ]] && return 0
    sleep 0.2
  done
  fail "$3: the window $1 is '$seen', expected '$2'"
}

# screenshot FILE: the whole screen; kept in CORVANTIS_E2E_SHOTS when that is set.
screenshot() {
  import -display "$DISPLAY" -window root "$1"
  if [ -n "${CORVANTIS_E2E_SHOTS:-}" ]; then mkdir -p "$CORVANTIS_E2E_SHOTS" && cp "$1" "$CORVANTIS_E2E_SHOTS/"; fi
}
