#!/usr/bin/env bash
# The real driver, dbvfb.dll beside the program and named by its bare name,
# without the Firebird client fbclient.dll anywhere: the exact report, the
# window stays, and closing it ends the program with 0.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"

settings_clear
app_folder dbvfb.dll
write_ini "$WINE_APP/dbvconnections.ini" $'[Quintara]\nDriverName=Firebird\nDatabase=127.0.0.1:C:\\data\\POS.FDB\nUser_Name=SYSDBA\nPassword=masterkey'
write_ini "$WINE_APP/dbvdrivers.ini" $'[Firebird]\nLibraryName=dbvfb.dll\nVendorLib=fbclient.dll\nGetDriverFunc=getSQLDriverFIREBIRD'

start_windows_program
expect_box 30 stop Corvantis "Unable to Load fbclient.dll."
expect_window_stays_then_close "no Firebird client"

pass "dbvfb.dll without fbclient.dll: the report, the window stays, exit 0"
