#!/usr/bin/env bash
# A second run on an upgraded database: exit 0; the server prepared no CREATE
# and no ALTER, only the probes (the gate, 29 columns, 9 tables and the 5
# indexes of the tables it finds) and the eight backfills; no table's format
# changed and no row was rewritten.
source "$(dirname "$0")/../support/upgrade-e2e.sh"
require_server

sample_db db upgrade_e2e_again full
configure "$db"
start_xvfb
start_program
wait_exit 60 || fail "the first run was still going after 60 s"
[ "$PROGRAM_STATUS" = 0 ] || fail "first run: exit status $PROGRAM_STATUS"
write_marks "$db" "$E2E_DIR/before"

trace_start "$db"
start_program
wait_exit 60 || fail "the second run was still going after 60 s"
trace_stop
[ "$PROGRAM_STATUS" = 0 ] || fail "second run: exit status $PROGRAM_STATUS"
write_marks "$db" "$E2E_DIR/after"
cmp -s "$E2E_DIR/before" "$E2E_DIR/after" ||
  { diff -u "$E2E_DIR/before" "$E2E_DIR/after"; fail "the second run changed the database"; }

program_statements >"$E2E_DIR/statements"
count=$(grep -c '^=====$' "$E2E_DIR/statements" || true)
[ "$count" = 52 ] || fail "the server prepared $count statements of the program, not 52 (1 + 29 + 9 + 5 probes, 8 backfills)"
indexProbes=$(grep -c 'FROM RDB\$INDICES' "$E2E_DIR/statements" || true)
[ "$indexProbes" = 5 ] || fail "$indexProbes index probes reached the server, not 5"
! grep -q -E '^(CREATE|ALTER) ' "$E2E_DIR/statements" || fail "a CREATE or ALTER reached the server"
updates=$(grep -c '^UPDATE ' "$E2E_DIR/statements" || true)
[ "$updates" = 8 ] || fail "$updates backfills reached the server, not 8"
pass "second run: exit 0, only probes and 8 backfills, nothing changed"
