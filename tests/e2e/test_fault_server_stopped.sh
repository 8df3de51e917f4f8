#!/usr/bin/env bash
# The server stops while the run is inside the backfill of SAL_MASTER (step
# 17): the run ends with the error report of the lost connection, and
# answering it ends the program with 0. Steps 1 to 16 stay committed and
# SAL_MASTER keeps none of the rows the statement had already rewritten. Once
# the server is back, a new run completes the upgrade, and the database equals
# a copy upgraded in one clean run.
#
# Another attachment holds an uncommitted change to SAL_MASTER's last bill, so
# the backfill has rewritten every row before it and waits there when the
# server goes: the fault lands inside step 17 however fast the machine is.
# The server stopped is one of the test's own (same script, another port), so
# the shared server keeps serving everyone else meanwhile.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

faults_private_server_start host
faults_new_db db interrupted "$host"
faults_new_db reference reference "$host"
faults_make_db "$db" 200
faults_copy_db "$db" "$reference"
start_xvfb

configure "$reference"
faults_start_program
faults_expect_clean_run 60 "the clean reference run"
faults_expect_steps_done "$reference" 46 "the clean reference run"

faults_hold_bill pin "$db" SAL_MASTER S00000200
configure "$db"
faults_start_program
faults_wait_statement "$db" "UPDATE SAL_MASTER"
faults_private_server_stop

# Observed: "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: connection
# shutdown." The server tells its clients it shuts down, so the client reports
# that rather than a broken connection, as a server error (status 65).
faults_expect_report 30 'Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: connection shutdown.'
titled FormVelmar 1 >/dev/null || fail "the main window was gone while the report was open"
faults_end_after_report "the run the server's stop ended"

faults_private_server_restart
faults_expect_steps_done "$db" 16 "after the server stopped inside step 17"

faults_start_program
faults_expect_clean_run 60 "the run after the server came back"
faults_expect_same_database "$db" "$reference" "resumed after the server's stop"
pass "server stopped in step 17: report, exit 0, steps 1-16 kept, the next run equals a clean one"
