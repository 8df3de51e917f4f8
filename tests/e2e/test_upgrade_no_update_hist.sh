#!/usr/bin/env bash
# Without the previous upgrade's UPDATE_HIST: only the gate probe reaches the
# server, the warning dialog comes up, the window stays open after it has been
# answered, the metadata is unchanged, and closing the window exits with 0.
source "$(dirname "$0")/../support/upgrade-e2e.sh"
require_server

sample_db db upgrade_e2e_gate no-update-hist
configure "$db"
write_marks "$db" "$E2E_DIR/before"
start_xvfb
trace_start "$db"
start_program
warning=$(window_named Warning 30) || fail "no warning dialog within 30 s"
answer "$warning"
sleep 1
running || fail "the program ended after the warning"
main=$(window_named FormVelmar 5) || fail "the main window is not open after the warning"
trace_stop
write_marks "$db" "$E2E_DIR/after"
cmp -s "$E2E_DIR/before" "$E2E_DIR/after" || fail "the database changed"

program_statements >"$E2E_DIR/statements"
[ "$(grep -c '^=====$' "$E2E_DIR/statements")" = 1 ] || fail "more than the gate probe reached the server"
grep -q "WHERE RDB\$RELATION_NAME = 'UPDATE_HIST'" "$E2E_DIR/statements" || fail "the one statement is not the gate probe"

close_window "$main"
wait_exit 10 || fail "closing the window did not end the program"
[ "$PROGRAM_STATUS" = 0 ] || fail "exit status $PROGRAM_STATUS"
pass "no UPDATE_HIST: warning, window stays, nothing changed, exit 0 on close"
