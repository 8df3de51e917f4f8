#!/usr/bin/env bash
# Without BUYBILL_MASTER: step 31 fails, the window closes and the error
# report (captioned with the application title) comes up; once answered the
# program exits with 0. Steps 32 to 46 never reached the server, everything
# before stays. After BUYBILL_MASTER is created a later run completes.
source "$(dirname "$0")/../support/upgrade-e2e.sh"
require_server

sample_db db upgrade_e2e_nobuy no-buybill-master
configure "$db"
start_xvfb
trace_start "$db"
start_program
report=$(window_named Corvantis 60) || fail "no error report within 60 s"
answer "$report"
wait_exit 10 || fail "the program did not end after the error report"
trace_stop
[ "$PROGRAM_STATUS" = 0 ] || fail "exit status $PROGRAM_STATUS"

program_statements >"$E2E_DIR/statements"
last=$(awk '/^=====$/ { text = block; block = ""; next } { block = block $0 "\n" } END { printf "%s", text }' \
  "$E2E_DIR/statements")
[[ $last == "UPDATE BUYBILL_MASTER SET BILL_KIND="* ]] || fail "the last statement was not step 31: $last"

snapshot "$db" "$E2E_DIR/after"
for line in "TABLE TEMP_BACC" "TABLE WEB_TOPBOARD" "ROWS SALBK_SUB 20 20" "ROWS BUYBILL_SUB 20 0"; do
  grep -qx "$line" "$E2E_DIR/after" || fail "missing after the failed run: $line"
done
for line in "TABLE TEMP_CUSTID" "TABLE PROD_BAND"; do
  ! grep -qx "$line" "$E2E_DIR/after" || fail "a step after 31 ran: $line"
done

printf 'CREATE TABLE BUYBILL_MASTER (BILL_ID VARCHAR(20) NOT NULL PRIMARY KEY, BILL_DATE VARCHAR(10));\nCOMMIT;\n' \
  >"$E2E_DIR/create.sql"
isql-fb -q -bail -i "$E2E_DIR/create.sql" "$db" || fail "creating BUYBILL_MASTER failed"
start_program
wait_exit 60 || fail "the later run was still going after 60 s"
[ "$PROGRAM_STATUS" = 0 ] || fail "later run: exit status $PROGRAM_STATUS"
snapshot "$db" "$E2E_DIR/final"
for line in "TABLE TEMP_CUSTID" "TABLE PROD_BAND" "ROWS BUYBILL_SUB 20 20"; do
  grep -qx "$line" "$E2E_DIR/final" || fail "missing after the later run: $line"
done
grep -q "^COLUMN BUYBILL_MASTER.BILL_KIND VARCHAR(10) " "$E2E_DIR/final" || fail "BUYBILL_MASTER has no BILL_KIND"
pass "no BUYBILL_MASTER: stopped at step 31 with the error report, exit 0; completed later"
