#!/usr/bin/env bash
# The program is sent SIGTERM while the run is inside the backfill of
# SAL_MASTER (step 17), as a session's end or a service manager does: it ends
# at once, by that signal. Steps 1 to 16 stay committed and SAL_MASTER keeps
# none of the rows the statement had rewritten. A new run completes the
# upgrade, and the database equals a copy upgraded in one clean run.
#
# Another attachment holds SAL_MASTER's last bill, so the statement is inside
# step 17, with every row before that bill rewritten, when the signal comes.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

faults_new_db db terminated
faults_new_db reference reference
faults_make_db "$db" 200
faults_copy_db "$db" "$reference"
start_xvfb

configure "$reference"
faults_start_program
faults_expect_clean_run 60 "the clean reference run"

faults_hold_bill pin "$db" SAL_MASTER S00000200
configure "$db"
faults_start_program
faults_wait_statement "$db" "UPDATE SAL_MASTER"
kill -TERM "$PROGRAM_PID"
wait_exit 5 || fail "the program was still running 5 s after SIGTERM"
[ "$PROGRAM_STATUS" = $((128 + 15)) ] || fail "the program ended with status $PROGRAM_STATUS, not by SIGTERM"
[ ! -s "$FAULTS_REPORTS" ] || fail "the program showed a message box: $(cat "$FAULTS_REPORTS")"

faults_holder_stop pin
faults_expect_steps_done "$db" 16 "after SIGTERM inside step 17"

faults_start_program
faults_expect_clean_run 60 "the run after SIGTERM"
faults_expect_same_database "$db" "$reference" "resumed after SIGTERM"
pass "SIGTERM in step 17: the program ends at once, steps 1-16 kept, the next run equals a clean one"
