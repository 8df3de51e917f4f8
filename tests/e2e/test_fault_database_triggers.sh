#!/usr/bin/env bash
# A shop's database with triggers of its own, through the real executable:
# - ON CONNECT, ON TRANSACTION START and DDL triggers that write a log row.
#   The server then refuses every read-only transaction (seen: no step ran,
#   the first catalogue read ended in "attempted update during read-only
#   transaction"); now the run completes.
# - A DDL trigger whose EXECUTE STATEMENT ... ON EXTERNAL cannot reach its
#   server: the first ALTER is refused with the trigger's failure, which is
#   neither a difference of shape nor a lost connection. The run ends with
#   that report at step 0, the program ends once it is answered, and once the
#   trigger is gone the next run completes.
# Each database is compared with the upgraded sample, the log tables aside.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server
start_xvfb

faults_new_db reference reference
faults_make_db "$reference" 20 upgraded
logs='(TX_LOG|CONNECT_LOG|DDL_LOG)'

faults_new_db db logging
faults_make_db "$db" 20
faults_isql "$db" <<'SQL' >/dev/null || fail "the triggers could not be made"
CREATE TABLE TX_LOG (N INTEGER);
CREATE TABLE CONNECT_LOG (N INTEGER);
CREATE TABLE DDL_LOG (N INTEGER);
COMMIT;
SET TERM ^;
CREATE TRIGGER TX_START ON TRANSACTION START AS
BEGIN
  INSERT INTO TX_LOG VALUES (1);
END^
CREATE TRIGGER CONNECTED ON CONNECT AS
BEGIN
  INSERT INTO CONNECT_LOG VALUES (1);
END^
CREATE TRIGGER DDL_DONE AFTER ANY DDL STATEMENT AS
BEGIN
  INSERT INTO DDL_LOG VALUES (1);
END^
SET TERM ;^
COMMIT;
SQL
configure "$db"
faults_start_program
faults_expect_clean_run 60 "writing triggers"
faults_expect_same_database "$db" "$reference" "writing triggers" "$logs"
[ "$(faults_value "$db" "SELECT COUNT(*) FROM DDL_LOG;")" -gt 0 ] || fail "writing triggers: no DDL trigger ran"
note "ok: ON CONNECT, ON TRANSACTION START and DDL triggers that write"

faults_new_db db external
faults_make_db "$db" 20
faults_isql "$db" <<'SQL' >/dev/null || fail "the trigger could not be made"
SET TERM ^;
CREATE TRIGGER DDL_ELSEWHERE AFTER ALTER TABLE AS
BEGIN
  EXECUTE STATEMENT 'SELECT 1 FROM RDB$DATABASE'
    ON EXTERNAL '127.0.0.1/1:/nowhere.fdb' AS USER 'SYSDBA' PASSWORD 'none';
END^
SET TERM ;^
COMMIT;
SQL
configure "$db"
faults_start_program
faults_expect_report_matching 60 '^Dbvance Error: \[0x0065\]: SQL Error\\r\\nSQL Server Error: unsuccessful metadata update\\n-ALTER TABLE CPETITION_SUB failed\\n-Execute statement error at attach :'
faults_end_after_report "a DDL trigger's external statement fails"
faults_expect_steps_done "$db" 0 "a DDL trigger's external statement fails, after the report"
faults_isql "$db" <<<"DROP TRIGGER DDL_ELSEWHERE; COMMIT;" >/dev/null || fail "the trigger could not be dropped"
faults_start_program
faults_expect_clean_run 60 "the next run, the trigger gone"
faults_expect_same_database "$db" "$reference" "the next run, the trigger gone"
pass "a database's own triggers: 2 cases"
