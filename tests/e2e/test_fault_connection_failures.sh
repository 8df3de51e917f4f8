#!/usr/bin/env bash
# Every way the opening of the connection can fail, through the real program:
# the gate probe fails, so the error report shows the failure's exact text
# (a full stop appended by rule), the main window stays open afterwards with
# nothing more happening, closing it ends the program with 0, and the database
# is untouched (catalogue, table formats, record versions).
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server
start_xvfb

faults_new_db db untouched
faults_make_db "$db" 20
write_marks "$db" "$E2E_DIR/marks.before"

closed_port=
for port in $(seq 3091 3120); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { closed_port=$port; break; }
done
[ -n "$closed_port" ] || fail "no closed port from 3091 to 3120 on 127.0.0.1"

# break_config CASE: turns the working configuration into the failing one.
break_config() {
  case $1 in
    "no connection file") ini_settings "$FAULTS_SETTINGS" "$E2E_DIR/none/dbvconnections.ini" "$FAULTS_DRIVERS" ;;
    "no DriverName") faults_ini_drop "$FAULTS_CONNECTIONS" DriverName ;;
    "no driver file") ini_settings "$FAULTS_SETTINGS" "$FAULTS_CONNECTIONS" "$E2E_DIR/none/dbvdrivers.ini" ;;
    "no Database") faults_ini_drop "$FAULTS_CONNECTIONS" Database ;;
    "driver library missing") faults_ini_set "$FAULTS_DRIVERS" LibraryName "$E2E_DIR/none/libdbvfb.so" ;;
    "driver library no library") faults_ini_set "$FAULTS_DRIVERS" LibraryName "$FAULTS_DRIVERS" ;;
    "entry point missing") faults_ini_set "$FAULTS_DRIVERS" GetDriverFunc getSQLDriverMISSING ;;
    "no GetDriverFunc") faults_ini_drop "$FAULTS_DRIVERS" GetDriverFunc ;;
    "client library missing") faults_ini_set "$FAULTS_DRIVERS" VendorLib libfbclient.so.0 ;;
    "wrong password") faults_ini_set "$FAULTS_CONNECTIONS" Password "not-$CORVANTIS_FB_PASSWORD" ;;
    "server unreachable") faults_ini_set "$FAULTS_CONNECTIONS" Database "127.0.0.1/$closed_port:${db#*:}" ;;
    "dialect not an integer") faults_ini_set "$FAULTS_CONNECTIONS" SQLDialect three ;;
    "blob size not an integer") faults_ini_set "$FAULTS_CONNECTIONS" BlobSize " big " ;;
  esac
}

# case | the report's text (\r and \n as written by the observer)
cases=(
  "no connection file|Driver/Connection Registry File '$E2E_DIR/none/dbvconnections.ini' not found."
  "no DriverName|Missing DriverName property."
  "no driver file|SQLConnection1: DLL/Shared Library Name not Set."
  "no Database|Missing Database property."
  "driver library missing|Unable to Load $E2E_DIR/none/libdbvfb.so."
  "driver library no library|Unable to Load $FAULTS_DRIVERS."
  "entry point missing|Unable to Find Procedure getSQLDriverMISSING."
  # Ends in a blank, so no full stop is added.
  "no GetDriverFunc|Unable to Find Procedure "
  "client library missing|Unable to Load libfbclient.so.0."
  # The server's own text ends in a full stop already.
  "wrong password|Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: Your user name and password are not defined. Ask your database administrator to set up a Firebird login."
  # The client's own network failure: status 21; the text ends in a full stop already.
  "server unreachable|Dbvance Error: [0x0015]: Connection failed\r\nSQL Server Error: Unable to complete network request to host \"127.0.0.1\".\n-Failed to establish a connection."
  "dialect not an integer|'three' is not a valid integer value."
  # Raised after the connect call has succeeded; the opening is abandoned all the same.
  "blob size not an integer|'big' is not a valid integer value."
)

for row in "${cases[@]}"; do
  IFS='|' read -r name text <<<"$row"
  configure "$db"
  break_config "$name"
  faults_start_program
  faults_expect_report 30 "$text"
  titled FormVelmar 1 >/dev/null || fail "$name: the main window was not open under the report"
  faults_end_after_refused_opening "$name"
  write_marks "$db" "$E2E_DIR/marks.after"
  diff "$E2E_DIR/marks.before" "$E2E_DIR/marks.after" >&2 || fail "$name: the database changed"
  note "ok: $name"
done
pass "the connection's failures: ${#cases[@]} cases"
