#!/usr/bin/env bash
# The gate through the scripted fake driver (libfakedbv.dll): the probe finds
# no UPDATE_HIST, so the warning comes with its Chinese text and the warning
# icon, the log shows the driver's events meanwhile, and the window stays
# until the user closes it, active again with the focus in the log. A
# screenshot of the window with its log is taken.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"

settings_clear
app_folder libfakedbv.dll
write_ini "$WINE_APP/dbvconnections.ini" $'[Quintara]\nDriverName=Firebird\nDatabase=127.0.0.1:C:\\data\\POS.FDB\nUser_Name=SYSDBA\nPassword=masterkey'
write_ini "$WINE_APP/dbvdrivers.ini" $'[Firebird]\nLibraryName=libfakedbv.dll\nVendorLib=fbclient.dll\nGetDriverFunc=getSQLDriverFIREBIRD'
printf 'trace\ncursor\tUPDATE_HIST\tRDB$RELATION_NAME\n' >"$WINE_DIR/fake.script"
export CORVANTIS_FAKE_SCRIPT=$(windows_path "$WINE_DIR/fake.script")

start_windows_program
seen=$(boxreader wait 30) || fail "no warning within 30 s: $(cat "$WINE_DIR/program.log")"
[ "$seen" = $'warning\tWarning\t請先完成舊版PACK' ] || fail "the warning shows '$seen'"
screenshot "$WINE_DIR/gate-warning.png"
boxreader ok || fail "the warning did not close on OK"
expect_state FormVelmar "normal visible active=TFormVelmar focus=Edit" "after the warning"
expect_window_stays_then_close "the gate warning"
pass "gate warning through the fake driver: its text and icon, the window stays, exit 0"
