#!/usr/bin/env bash
# The real program on the pre-upgrade sample database: it exits with 0 by
# itself and leaves the database exactly as the upgraded sample, every
# BILL_KIND holding the Big5 bytes of 一般; the server received the gate probe
# and then every probe, ALTER, CREATE and backfill of the run, in order.
source "$(dirname "$0")/../support/upgrade-e2e.sh"
require_server

sample_db db upgrade_e2e_full full
sample_db expected upgrade_e2e_full_expected upgraded
configure "$db"
start_xvfb
trace_start "$db"
start_program
wait_exit 60 || fail "Corvantis was still running 60 s after its start"
trace_stop
[ "$PROGRAM_STATUS" = 0 ] || fail "exit status $PROGRAM_STATUS"

snapshot "$db" "$E2E_DIR/after"
snapshot "$expected" "$E2E_DIR/expected"
diff -u "$E2E_DIR/expected" "$E2E_DIR/after" || fail "the upgraded database differs from the upgraded sample"
for t in ORDER_MASTER ORDER_SUB SAL_MASTER SAL_SUB SALBK_MASTER SALBK_SUB BUYBILL_MASTER BUYBILL_SUB; do
  grep -qx "ROWS $t 20 20" "$E2E_DIR/after" || fail "$t: not every BILL_KIND is A4 40 AF EB"
done

# 1 gate probe, 29 column probes with their ALTERs, 8 backfills, 9 table
# probes with 14 CREATE statements.
program_statements >"$E2E_DIR/statements"
count=$(grep -c '^=====$' "$E2E_DIR/statements" || true)
[ "$count" = 90 ] || fail "the server prepared $count statements of the program, not 90"
head -n 1 "$E2E_DIR/statements" | grep -q "^SELECT \* FROM RDB\$RELATIONS " || fail "the gate probe did not come first"
grep -c '^CREATE TABLE ' "$E2E_DIR/statements" | grep -qx 9 || fail "not 9 CREATE TABLE statements"
pass "full run: exit 0, database upgraded, 90 statements"
