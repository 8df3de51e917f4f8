#!/usr/bin/env bash
# The server stops while the run is inside the backfill of SAL_MASTER (step
# 17): the run ends with the error report of the lost connection, and
# answering it ends the program with 0. Steps 1 to 16 stay committed and
# SAL_MASTER keeps none of the rows the statement had already rewritten. Once
# the server is back, a new run completes the upgrade, and the database equals
# a copy upgraded in one clean run.
#
# The server stopped is one of the test's own (same script, another port), so
# the shared server keeps serving everyone else meanwhile.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

faults_private_server_start host
start_xvfb
faults_step17_databases interrupted "$host"

faults_run_into_step17
faults_private_server_stop

# Observed: "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: connection
# shutdown." The server tells its clients it shuts down, so the client reports
# that rather than a broken connection, as a server error (status 65).
faults_expect_report 30 'Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: connection shutdown.'
titled FormVelmar 1 >/dev/null || fail "the main window was gone while the report was open"
faults_end_after_report "the run the server's stop ended"

faults_private_server_restart
faults_expect_resumed "the server's stop"
pass "server stopped in step 17: report, exit 0, steps 1-16 kept, the next run equals a clean one"
