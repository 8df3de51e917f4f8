#!/usr/bin/env bash
# The real driver, dbvfb.dll beside the program and named by its bare name,
# without the Firebird client fbclient.dll anywhere: the exact report, the
# window stays, and closing it ends the program with 0. Started minimised, as
# a shortcut set to "Run: Minimized" starts it, the run still starts.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"

settings_clear
app_folder dbvfb.dll
write_ini "$WINE_APP/dbvconnections.ini" $'[Quintara]\nDriverName=Firebird\nDatabase=127.0.0.1:C:\\data\\POS.FDB\nUser_Name=SYSDBA\nPassword=masterkey'
write_ini "$WINE_APP/dbvdrivers.ini" $'[Firebird]\nLibraryName=dbvfb.dll\nVendorLib=fbclient.dll\nGetDriverFunc=getSQLDriverFIREBIRD'

start_windows_program
expect_box 30 stop Corvantis "Unable to Load fbclient.dll."
expect_window_stays_then_close "no Firebird client"

start_windows_program minimised
expect_box 30 stop Corvantis "Unable to Load fbclient.dll."
! wait_exit 1 || fail "started minimised: the program ended by itself (status $PROGRAM_STATUS)"
boxreader close Corvantis || fail "started minimised: the task-bar entry could not be closed"
wait_exit 20 || fail "started minimised: closing did not end the program"
[ "$PROGRAM_STATUS" = 0 ] || fail "started minimised: exit status $PROGRAM_STATUS"

pass "dbvfb.dll without fbclient.dll: the report, the window stays, exit 0; also when started minimised"
