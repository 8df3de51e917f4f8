#!/usr/bin/env bash
# Another attachment uses a table that the run alters or backfills, with its
# transaction open while the run goes on.
#
# Observed with Firebird 3, never an "object in use":
# - ALTER TABLE ... ADD goes through while another transaction has read the
#   table, or even reserved it for protected write; the run completes.
# - The other transaction has added GIVE_QTY itself, uncommitted. Waiting
#   (WaitOnLocks=True), the run's ALTER is held until the other commits, then
#   fails on the duplicate catalogue row; the guarded addition swallows that and
#   the run completes with the other's column. Without waiting, the run's ALTER
#   fails at once on the same duplicate, which Firebird then reports for a
#   column not committed yet: the run ends with that report at step 1, the
#   other's COMMIT goes through, and the next run completes.
# - A protected-write reservation of ORDER_MASTER does not stop its ALTER but
#   does stop its backfill, an unguarded step: waiting, the backfill goes on
#   once the other commits; without waiting the run ends with the report of
#   the lock conflict, steps 1 to 14 kept, and the next run completes.
# Each database is compared with the upgraded sample at the end.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server
start_xvfb

faults_new_db reference reference
faults_make_db "$reference" 20 upgraded

reserve="COMMIT; SET TRANSACTION READ COMMITTED WAIT RESERVING"
lock_conflict='^Dbvance Error: \[0x0065\]: SQL Error\\r\\nSQL Server Error: lock conflict on no wait transaction\\n-Acquire lock for relation \(ORDER_MASTER\) failed\.$'
duplicate_give_qty='^Dbvance Error: \[0x0065\]: SQL Error\\r\\nSQL Server Error: unsuccessful metadata update\\n-ALTER TABLE CPETITION_SUB failed\\n-violation of PRIMARY or UNIQUE KEY constraint "[^"]*" on table "RDB\$RELATION_FIELDS"\\n-Problematic key value is \("RDB\$FIELD_NAME" = '"'GIVE_QTY'"', "RDB\$RELATION_NAME" = '"'CPETITION_SUB'"'\)$'

# WaitOnLocks | what the other transaction did | its statements | the statement
# the run is seen held in (- none) | the report (extended regular expression;
# - none) | the steps whose effects are there after the report
cases=(
  "True|read CPETITION_SUB|SET TRANSACTION READ COMMITTED; SELECT COUNT(*) FROM CPETITION_SUB;|-|-|-"
  "True|reserved CPETITION_SUB for protected write|$reserve CPETITION_SUB FOR PROTECTED WRITE; SELECT COUNT(*) FROM CPETITION_SUB;|-|-|-"
  "True|added GIVE_QTY to CPETITION_SUB|ALTER TABLE CPETITION_SUB ADD GIVE_QTY DOUBLE PRECISION;|ALTER TABLE CPETITION_SUB ADD GIVE_QTY|-|-"
  "False|added GIVE_QTY to CPETITION_SUB|ALTER TABLE CPETITION_SUB ADD GIVE_QTY DOUBLE PRECISION;|-|$duplicate_give_qty|0"
  "True|reserved ORDER_MASTER for protected write|$reserve ORDER_MASTER FOR PROTECTED WRITE; SELECT COUNT(*) FROM ORDER_MASTER;|UPDATE ORDER_MASTER|-|-"
  "False|reserved ORDER_MASTER for protected write|$reserve ORDER_MASTER FOR PROTECTED WRITE; SELECT COUNT(*) FROM ORDER_MASTER;|-|$lock_conflict|14"
)

n=0
for row in "${cases[@]}"; do
  IFS='|' read -r wait did statements held_in report kept <<<"$row"
  case_name="WaitOnLocks=$wait, the other transaction $did"
  faults_new_db db "case_$((++n))"
  faults_make_db "$db" 20
  faults_holder_start other "$db"
  faults_holder_send other "$statements"
  faults_holder_sync other
  configure "$db"
  faults_ini_set "$FAULTS_CONNECTIONS" WaitOnLocks "$wait"
  [[ $held_in != ALTER* ]] || trace_start "$db"
  faults_start_program

  if [ "$held_in" != - ]; then
    if [[ $held_in == ALTER* ]]; then
      faults_wait_ddl "$held_in"
      faults_expect_steps_done "$db" 0 "$case_name, while the ALTER is held"
    else
      faults_wait_statement "$db" "$held_in"
      faults_expect_steps_done "$db" 14 "$case_name, while the backfill is held"
    fi
    running || fail "$case_name: the program ended instead of waiting"
    faults_holder_send other "COMMIT;"
    faults_holder_sync other
  fi
  if [ "$report" = - ]; then
    faults_expect_clean_run 60 "$case_name"
  else
    faults_expect_report_matching 30 "$report"
    faults_end_after_report "$case_name"
    faults_expect_steps_done "$db" "$kept" "$case_name, after the report"
  fi
  trace_stop

  # The other's COMMIT goes through in every case: the run never changed
  # what it holds.
  faults_holder_send other "COMMIT;"
  faults_holder_sync other
  faults_holder_stop other
  if [ "$report" != - ]; then
    faults_start_program
    faults_expect_clean_run 60 "$case_name, the next run"
  fi
  faults_expect_same_database "$db" "$reference" "$case_name"
  note "ok: $case_name"
done
pass "a table in use by another attachment: ${#cases[@]} cases"
