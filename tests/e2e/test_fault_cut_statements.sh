#!/usr/bin/env bash
# The real program's run cut at each statement of the steps that send several
# (22, 23, 40 and 42 on a first run: the table probe, the CREATE TABLE, each
# CREATE INDEX) and of step 44 (a guarded addition: its column probe and its
# ALTER): the program's attachment is deleted just before the statement
# reaches the server. Each run ends with the error report of the server's
# message and, once it is answered, exit 0, never quietly; the next run
# completes, and the database equals a copy upgraded in one clean run.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

start_xvfb
faults_cut_reference cut
mapfile -t cuts < <(faults_cut_statements "${FAULTS_MULTI_STATEMENT_TEXTS[@]}")
[ "${#cuts[@]}" = 15 ] || fail "expected 15 statements in steps 22, 23, 40, 42 and 44, found ${#cuts[@]}: ${cuts[*]}"

faults_new_db db cut_run
for k in "${cuts[@]}"; do
  what="the attachment deleted before statement $k ($(sed -n "s/^statement $k: //p" "$E2E_DIR/cut.reference"))"
  faults_cut_run "$db" "$k" "$what" '^Dbvance Error: \[0x0065\]: SQL Error\\r\\nSQL Server Error: connection shutdown\.$'
  faults_cut_expect_converged "$db" "$what"
  note "converged: $what"
done
pass "cut before each of ${#cuts[@]} statements of steps 22, 23, 40, 42 and 44: report, exit 0, the next run equals a clean one"
