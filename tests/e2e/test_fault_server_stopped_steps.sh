#!/usr/bin/env bash
# The server stops inside step 22 (between WEB_MAINBOARD and its index), inside
# step 40 (between X_DAYACC_SUB2's two indexes) and inside step 44 (between
# the column probe of PUB_PARAM.INCHKUD and its ALTER). Each run ends with the
# error report of the broken connection (the client's own "Error reading data
# from the connection.", status 21) and, once it is answered, exit 0; once
# the server is back, the next run completes, and the database equals a copy
# upgraded in one clean run.
#
# The server stopped is one of the test's own, so the shared one keeps serving.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

faults_private_server_start host
start_xvfb
faults_cut_reference stopped "$host"
stop="CORVANTIS_FB_HOST=$FAULTS_PRIVATE_HOST CORVANTIS_FB_RUNDIR=$FAULTS_PRIVATE_RUNDIR"
stop+=" bash $CORVANTIS_SOURCE_DIR/scripts/fb-server-stop.sh >/dev/null 2>&1"

faults_new_db db stopped_run "$host"
for text in "CREATE INDEX IDX_WEB_MAINBOARD " "CREATE INDEX IX_DAYACC_SUB2_1 " "ALTER TABLE PUB_PARAM ADD INCHKUD "; do
  k=$(faults_cut_statements "$text")
  [ -n "$k" ] || fail "the clean run sent no '$text'"
  what="the server stopped before '$text' (statement $k)"
  faults_cut_run "$db" "$k" "$what" '^Dbvance Error: \[0x0015\]: Connection failed\\r\\nSQL Server Error: Error reading data from the connection\.$' "$stop"
  faults_private_server_restart
  faults_cut_expect_converged "$db" "$what"
  note "converged: $what (report: $REPORT_TEXT)"
done
pass "server stopped inside steps 22, 40 and 44: report, exit 0, the next run equals a clean one"
