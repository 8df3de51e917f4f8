#!/usr/bin/env bash
# Corvantis.exe's attachment is deleted from MON$ATTACHMENTS while the run is
# inside the backfill of SAL_MASTER (step 17, held there by another
# attachment's uncommitted change to its last bill; a screenshot of the
# window is taken there): the report of the
# server's message, the same as the Linux program shows, and exit 0 once
# answered. Steps 1 to 16 stay; the next run completes, and the database then
# equals a copy the Linux program upgraded in one clean run.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_job_lib.sh"
wine_job_folder

faults_step17_databases lost
faults_hold_bill pin "$STEP17_DB" SAL_MASTER S00000200
wine_job_configure "$STEP17_DB"
start_windows_program
faults_wait_statement "$STEP17_DB" "UPDATE SAL_MASTER"
# The window in the middle of a real run: the log of steps 1 to 16, the
# backfills with their Big5 text among them.
screenshot "$WINE_DIR/real-run.png"
# The built client logged in with SRP; the server, by its default, takes only encrypted wires.
method=$(faults_value "$STEP17_DB" "SELECT TRIM(A.MON\$AUTH_METHOD) FROM MON\$ATTACHMENTS A WHERE $(faults_program_attachment);")
[ "$method" = Srp ] || fail "Corvantis.exe's attachment logged in by '$method', not SRP"
killed=$(faults_isql "$STEP17_DB" <<EOF2
SET COUNT ON;
DELETE FROM MON\$ATTACHMENTS A WHERE A.MON\$ATTACHMENT_ID <> CURRENT_CONNECTION AND $(faults_program_attachment);
EOF2
) || fail "deleting the program's attachment failed"
grep -q "Records affected: 1" <<<"$killed" || fail "not exactly the program's one attachment was deleted: $killed"

# The Linux program's text for the same cut (tests/e2e/test_fault_attachment_killed.sh).
expect_box 60 stop Corvantis 'Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: connection shutdown.'
wait_exit 20 || fail "Corvantis.exe did not end after its report"
[ "$PROGRAM_STATUS" = 0 ] || fail "exit status $PROGRAM_STATUS after the report"
faults_holder_stop pin
faults_expect_steps_done "$STEP17_DB" 16 "after the deleted attachment"

wine_job_clean_run "the run after the deleted attachment"
faults_expect_same_database "$STEP17_DB" "$STEP17_REFERENCE" "resumed after the deleted attachment"
pass "attachment deleted in step 17: the report, exit 0, steps 1-16 kept, the next run equals the Linux program's clean run"
