#!/usr/bin/env bash
# Corvantis.exe started in each show state Windows passes: plain, start /max,
# start /min, and the SW_SHOWMINNOACTIVE of a shortcut set to "Run:
# Minimized". The main window shows in that state (read back through Win32)
# and the run starts in every one: the real dbvfb.dll without fbclient.dll
# gives its report. After the report the main window is active again with
# the focus in the log, also after the task-bar entry's window is activated.
# The maximised window is photographed with the frames Wine draws itself.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"

X11_KEY='HKCU\Software\Wine\X11 Driver'
# Without a window manager on the display, a window Wine leaves to one is
# never resized to its maximised size; with Managed=N Wine places and frames
# every window itself, as Windows does.
"$WINE" reg add "$X11_KEY" /v Managed /d N /f >/dev/null 2>&1 || fail "the X11 driver setting could not be written"
trap '"$WINE" reg delete "$X11_KEY" /v Managed /f >/dev/null 2>&1 || true; wine_cleanup' EXIT

settings_clear
app_folder dbvfb.dll
write_ini "$WINE_APP/dbvconnections.ini" $'[Quintara]\nDriverName=Firebird\nDatabase=127.0.0.1:C:\\data\\POS.FDB\nUser_Name=SYSDBA\nPassword=masterkey'
write_ini "$WINE_APP/dbvdrivers.ini" $'[Firebird]\nLibraryName=dbvfb.dll\nVendorLib=fbclient.dll\nGetDriverFunc=getSQLDriverFIREBIRD'

active='active=TFormVelmar focus=Edit'
# start mode | the main window after the report | the task-bar entry's window
cases=(
  "plain|normal visible $active|normal visible"
  "maximised|maximised visible $active|normal visible"
  "minimised|normal visible $active|normal visible"
  "shortcut-minimised|normal hidden|minimised visible"
)
for row in "${cases[@]}"; do
  IFS='|' read -r mode main application <<<"$row"
  start_windows_program "$mode"
  expect_box 30 stop Corvantis "Unable to Load fbclient.dll."
  expect_state FormVelmar "$main*" "$mode, after the report"
  expect_state Corvantis "$application*" "$mode, the task-bar entry's window"
  if [ "$mode" = shortcut-minimised ]; then
    ! wait_exit 1 || fail "$mode: the program ended by itself (status $PROGRAM_STATUS)"
    boxreader close Corvantis || fail "$mode: the task-bar entry could not be closed"
    wait_exit 20 || fail "$mode: closing did not end the program"
  else
    [ "$mode" = maximised ] && screenshot "$WINE_DIR/maximised.png"
    boxreader activate Corvantis || fail "$mode: the task-bar entry's window could not be activated"
    expect_state FormVelmar "* $active" "$mode, after the task-bar entry's window was activated"
    expect_window_stays_then_close "$mode"
  fi
  [ "$PROGRAM_STATUS" = 0 ] || fail "$mode: exit status $PROGRAM_STATUS"
  note "$mode: $main; the run started"
done
pass "every start-up show state: the main window in it, the run started, the main window active after the report"
