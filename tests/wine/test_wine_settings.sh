#!/usr/bin/env bash
# Where Corvantis.exe looks for its two INI files: the per-user settings in
# the registry, or beside the executable, joined with a backslash. Each case
# ends with the exact report of the first file it cannot use; the window stays
# open, and closing it ends the program with 0.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"

app_folder
app=$(windows_path "$WINE_APP")
connections=$WINE_DIR/conn.ini
write_ini "$connections" $'[Quintara]\nDriverName=Firebird\nDatabase=127.0.0.1:C:\\data\\POS.FDB'


run_case() {  # run_case WHY TEXT: the settings are in place
  start_windows_program
  expect_box 30 stop Corvantis "$2"
  expect_window_stays_then_close "$1"
  note "$1"
}

settings_clear
run_case "no settings and no INI file beside the program" \
  "Driver/Connection Registry File '${app//\\/\\\\}\\\\dbvconnections.ini' not found."
grep -q / <<<"$app" && fail "the program's folder holds a forward slash: $app"

settings_set "Connection Registry File" REG_SZ 'C:\nowhere\conn.ini'
run_case "the registry names a connection file that is missing" \
  "Driver/Connection Registry File 'C:\\\\nowhere\\\\conn.ini' not found."

settings_clear
settings_set "Connection Registry File" REG_EXPAND_SZ '%TEMP%\conn.ini'
run_case "an expandable string is taken literally" \
  "Driver/Connection Registry File '%TEMP%\\\\conn.ini' not found."

settings_clear
settings_set "Connection Registry File" REG_SZ "$(windows_path "$connections")"
settings_set "Driver Registry File" REG_DWORD 1
run_case "a driver setting of the wrong type (a quote sorts below the full stop: none added)" \
  "Invalid data type for 'Driver Registry File'"

settings_clear
settings_set "Connection Registry File" REG_DWORD 1
run_case "a connection setting of the wrong type: swallowed, no path at all" \
  "Driver/Connection Registry File '' not found."

pass "the settings in the registry and the files beside the program: every report exact, exit 0"
