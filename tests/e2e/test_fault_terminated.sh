#!/usr/bin/env bash
# The program is sent SIGTERM while the run is inside the backfill of
# SAL_MASTER (step 17), as a session's end or a service manager does: it ends
# at once, by that signal. Steps 1 to 16 stay committed and SAL_MASTER keeps
# none of the rows the statement had rewritten. A new run completes the
# upgrade, and the database equals a copy upgraded in one clean run.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

start_xvfb
faults_step17_databases terminated

faults_run_into_step17
kill -TERM "$PROGRAM_PID"
wait_exit 5 || fail "the program was still running 5 s after SIGTERM"
[ "$PROGRAM_STATUS" = $((128 + 15)) ] || fail "the program ended with status $PROGRAM_STATUS, not by SIGTERM"
[ ! -s "$FAULTS_REPORTS" ] || fail "the program showed a message box: $(cat "$FAULTS_REPORTS")"

faults_holder_stop pin
faults_expect_resumed SIGTERM
pass "SIGTERM in step 17: the program ends at once, steps 1-16 kept, the next run equals a clean one"
