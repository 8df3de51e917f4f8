#!/usr/bin/env bash
# The program's attachment is deleted from MON$ATTACHMENTS while the run is
# inside the backfill of SAL_MASTER (step 17): the run ends with the error
# report of the server's message, and answering it ends the program with 0.
# Steps 1 to 16 stay committed and SAL_MASTER keeps none of the rows the
# statement had rewritten. A new run completes the upgrade, and the database
# equals a copy upgraded in one clean run.
#
# As when the server stops, another attachment holds SAL_MASTER's last bill, so
# the statement is inside step 17, with every row before that bill rewritten,
# when its attachment goes.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

faults_new_db db killed
faults_new_db reference reference
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
killed=$(faults_isql "$db" <<EOF2
SET COUNT ON;
DELETE FROM MON\$ATTACHMENTS WHERE MON\$ATTACHMENT_ID <> CURRENT_CONNECTION
  AND MON\$REMOTE_PID = $PROGRAM_PID AND MON\$REMOTE_PROCESS CONTAINING 'Corvantis';
EOF2
) || fail "deleting the program's attachment failed"
grep -q "Records affected: 1" <<<"$killed" || fail "not exactly the program's one attachment was deleted: $killed"

# Observed: the statement waiting for the held row is woken and fails with
# Firebird's "connection shutdown", as when the server stops (a full stop added).
faults_expect_report 30 'Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: connection shutdown.'
titled FormVelmar 1 >/dev/null || fail "the main window was gone while the report was open"
faults_end_after_report "the run whose attachment was deleted"

faults_holder_stop pin
faults_expect_steps_done "$db" 16 "after the attachment was deleted inside step 17"

faults_start_program
faults_expect_clean_run 60 "the run after the deleted attachment"
faults_expect_same_database "$db" "$reference" "resumed after the deleted attachment"
pass "attachment deleted in step 17: report, exit 0, steps 1-16 kept, the next run equals a clean one"
