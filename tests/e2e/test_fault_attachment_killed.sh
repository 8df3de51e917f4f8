#!/usr/bin/env bash
# The program's attachment is deleted from MON$ATTACHMENTS while the run is
# inside the backfill of SAL_MASTER (step 17): the run ends with the error
# report of the server's message, and answering it ends the program with 0.
# Steps 1 to 16 stay committed and SAL_MASTER keeps none of the rows the
# statement had rewritten. A new run completes the upgrade, and the database
# equals a copy upgraded in one clean run.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

start_xvfb
faults_step17_databases killed

faults_run_into_step17
killed=$(faults_isql "$STEP17_DB" <<EOF2
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
faults_expect_resumed "the deleted attachment"
pass "attachment deleted in step 17: report, exit 0, steps 1-16 kept, the next run equals a clean one"
