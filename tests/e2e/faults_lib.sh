# Helpers of the fault tests (tests/e2e/test_fault_*.sh). Built on the
# end-to-end helpers (tests/e2e/lib.sh and the shared steps it sources: Xvfb,
# INI files, the program, its windows by exact title); adds what only fault
# tests need: databases of their own, the state checks that tell what an
# interrupted run left behind, another attachment that keeps a transaction
# open, a server of the test's own that it may stop, and the observer that
# records the text of every message box.
#
# Everything made here is undone at exit, the last made first.

# shellcheck source=lib.sh
source "$CORVANTIS_SOURCE_DIR/tests/e2e/lib.sh"

FAULTS_TEST=$(basename "$0" .sh)
faults_cleanups=()

# faults_on_exit COMMAND...: run at exit, the last registered first.
faults_on_exit() { faults_cleanups+=("$(printf '%q ' "$@")"); }

faults_cleanup() {
  # A database the program is still attached to cannot be dropped; a program
  # that does not end on SIGTERM is killed outright.
  if running; then
    kill "$PROGRAM_PID"
    wait_exit 3 || { kill -KILL "$PROGRAM_PID"; wait "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=; }
  fi
  local i
  for ((i = ${#faults_cleanups[@]} - 1; i >= 0; --i)); do
    eval "${faults_cleanups[i]}" >/dev/null 2>&1 || true
  done
}
trap 'faults_cleanup; e2e_cleanup' EXIT

# --- databases ---------------------------------------------------------------

# faults_isql DATABASE: runs the SQL on standard input; prints the rows
# without headings, and fails on the first failed statement (isql_rows).
faults_isql() {
  { echo "SET HEADING OFF;"; cat; } >"$E2E_DIR/faults.sql"
  isql_rows "$1" "$E2E_DIR/faults.sql"
}

# faults_value DATABASE SQL: the one value a query answers.
faults_value() {
  local value
  value=$(faults_isql "$1" <<<"$2") || fail "query on $1 failed: $2"
  sed -e 's/^[[:space:]]*//' <<<"$value"
}

faults_drop_db() {  # faults_drop_db DATABASE: through the server that holds it
  isql_drop "$1" || rm -f "${1#*:}"  # its server went away: the file goes all the same
}

# faults_new_db VAR NAME [HOST]: sets VAR to the connection string of one of
# this test's databases, dropped when the test ends. Its file name holds only
# letters, digits and underscores, as a trace pattern needs (trace_start).
faults_new_db() {
  local faults_db_file="${FAULTS_TEST#test_}_$$_$2"
  local faults_db_string="${3:-$CORVANTIS_FB_HOST}:$CORVANTIS_FB_DATADIR/${faults_db_file//[^A-Za-z0-9_]/_}.fdb"
  faults_on_exit faults_drop_db "$faults_db_string"
  printf -v "$1" '%s' "$faults_db_string"
}

# faults_make_db DATABASE [ROWS] [VARIANTS]: a sample database (pre-upgrade by default).
faults_make_db() {
  bash "$CORVANTIS_SOURCE_DIR/scripts/make-sample-db.sh" -r "${2:-20}" -v "${3:-full}" "$1" \
    >"$E2E_DIR/faults-make.out" 2>&1 ||
    { cat "$E2E_DIR/faults-make.out" >&2; fail "making the sample database $1 failed"; }
}

# faults_copy_db FROM TO: a byte copy of a database nobody is attached to, for
# a reference that starts out identical.
faults_copy_db() {
  local to=${2#*:}
  cp --sparse=always "${1#*:}" "$to" && chown firebird:firebird "$to" && chmod 0660 "$to" ||
    fail "copying $1 to $2 failed"
}

# --- the program's files -------------------------------------------------------

FAULTS_CONNECTIONS=$E2E_DIR/dbvconnections.ini
FAULTS_DRIVERS=$E2E_DIR/dbvdrivers.ini
FAULTS_SETTINGS=$E2E_DIR/config/Aldmark/Dbvance.conf

# faults_ini_set FILE KEY VALUE: replaces the key's line in the file's one
# section, or adds it.
faults_ini_set() {
  faults_ini_drop "$1" "$2"
  printf '%s=%s\n' "$2" "$3" >>"$1"
}

faults_ini_drop() {  # faults_ini_drop FILE KEY
  local kept
  kept=$(awk -v key="$2" -F= '$1 != key' "$1")
  printf '%s\n' "$kept" >"$1"
}

# --- what a run left behind -------------------------------------------------------

FAULTS_BILL_TABLES=(ORDER_MASTER ORDER_SUB SAL_MASTER SAL_SUB SALBK_MASTER SALBK_SUB BUYBILL_MASTER BUYBILL_SUB)

# faults_fill_state DATABASE: "TABLE rows nulls general" for each bill table
# that has BILL_KIND; general counts the rows holding exactly A4 40 AF EB.
faults_fill_state() {
  local tables table sql=""
  tables=$(faults_isql "$1" <<<"SELECT TRIM(RDB\$RELATION_NAME) FROM RDB\$RELATION_FIELDS WHERE RDB\$FIELD_NAME = 'BILL_KIND';") ||
    fail "reading which tables of $1 have BILL_KIND failed"
  for table in "${FAULTS_BILL_TABLES[@]}"; do
    grep -qx "$table" <<<"$tables" || continue
    sql+="SELECT '$table', COUNT(*), SUM(IIF(BILL_KIND IS NULL, 1, 0)),"
    sql+=" SUM(IIF(CAST(BILL_KIND AS VARCHAR(10) CHARACTER SET OCTETS) = x'A440AFEB', 1, 0)) FROM $table;"$'\n'
  done
  [ -n "$sql" ] || return 0
  local rows
  rows=$(faults_isql "$1" <<<"$sql") || fail "reading the bill kinds of $1 failed"
  awk '{ print $1, $2, $3, $4 }' <<<"$rows"
}

# The upgrade's lasting effects in the order the run makes them, by step: a
# column, a table, an index, or a bill table whose every row was given the
# general bill kind.
FAULTS_STEP_EFFECTS=(
  "1 column CPETITION_SUB.GIVE_QTY" "2 column CPETITION_SUB.PSALE_PRICE" "3 column CPETITION_SUB.V_GIVE_QTY"
  "4 column UPAY_MASTER.ACC_YM" "5 table TEMP_BACC"
  "6 column ORDER_SUB.ITEM_UNIT" "7 column SAL_SUB.ITEM_UNIT" "8 column SALBK_SUB.ITEM_UNIT"
  "9 column ORDER_MASTER.BILL_KIND" "10 column SAL_MASTER.BILL_KIND" "11 column SALBK_MASTER.BILL_KIND"
  "12 column ORDER_SUB.BILL_KIND" "13 column SAL_SUB.BILL_KIND" "14 column SALBK_SUB.BILL_KIND"
  "15 filled ORDER_MASTER" "16 filled ORDER_SUB" "17 filled SAL_MASTER" "18 filled SAL_SUB"
  "19 filled SALBK_MASTER" "20 filled SALBK_SUB"
  "21 table WEB_RUNTITLE" "22 table WEB_MAINBOARD" "22 index IDX_WEB_MAINBOARD"
  "23 table WEB_TOPBOARD" "23 index IDX_WEB_TOPBOARD_0"
  "24 column BUYBILL_SUB.ITEM_UNIT" "25 column INSTORAGE_SUB.ITEM_UNIT" "26 column INSTORAGE_SUBTEMP.ITEM_UNIT"
  "27 column INSTORAGEBK_SUB.ITEM_UNIT" "28 column INSTORAGEBK_SUBTEMP.ITEM_UNIT"
  "29 column BUYBILL_MASTER.BILL_KIND" "30 column BUYBILL_SUB.BILL_KIND"
  "31 filled BUYBILL_MASTER" "32 filled BUYBILL_SUB" "33 table TEMP_CUSTID"
  "34 column CUSTOMER.PASS_WD" "35 column PROVIDER.PASS_WD" "36 column MCH_ITEM.TAX_TITLE"
  "37 column MCH_ITEM.BUSINESS_NUM" "38 column MCH_ITEM.TAX_NUM" "39 table X_DAYACC_MASTER2"
  "40 table X_DAYACC_SUB2" "40 index IX_DAYACC_SUB2_0" "40 index IX_DAYACC_SUB2_1"
  "41 table BAND_ITEM" "42 table PROD_BAND" "42 index IDX_PD_BAND0"
  "43 column INFOMATION.SHOW_YN" "44 column PUB_PARAM.INCHKUD" "45 column PUB_PARAM.SALCHKUD"
  "46 column PROVIDER.CENTER_AMTPERS"
)

# faults_steps_done DATABASE: prints the number of the last step whose effects
# are all there. Fails when the state is no such prefix of the run (a later
# effect without an earlier one: work before the fault was lost) or when a
# bill table was backfilled in part (a statement half done).
faults_steps_done() {
  local db=$1 catalogue=$E2E_DIR/faults-steps.catalogue fills=$E2E_DIR/faults-steps.fills
  snapshot "$db" "$catalogue" || fail "reading the catalogue of $db failed"
  faults_fill_state "$db" >"$fills"
  local table rows nulls general
  while read -r table rows nulls general; do
    [ "$general" = 0 ] || [ "$general" = "$rows" ] ||
      fail "$table was backfilled in part: $general of $rows rows hold the general bill kind"
    [ $((nulls + general)) = "$rows" ] ||
      fail "$table holds $((rows - nulls - general)) bill kinds that are neither null nor A4 40 AF EB"
  done <"$fills"
  local entry step kind name present done_through=46 missing=""
  for entry in "${FAULTS_STEP_EFFECTS[@]}"; do
    read -r step kind name <<<"$entry"
    case $kind in
      column) grep -q "^COLUMN $name " "$catalogue" ;;
      table) grep -qx "TABLE $name" "$catalogue" ;;
      index) grep -q "^INDEX $name ON " "$catalogue" ;;
      filled) awk -v t="$name" '$1 == t && $2 > 0 && $4 == $2 { found = 1 } END { exit !found }' "$fills" ;;
    esac && present=1 || present=0
    if [ -z "$missing" ] && [ $present = 0 ]; then
      missing="step $step ($kind $name)"
      done_through=$((step - 1))
    elif [ -n "$missing" ] && [ $present = 1 ]; then
      fail "$db holds the effect of step $step ($kind $name) but not that of $missing"
    fi
  done
  echo "$done_through"
}

# faults_expect_steps_done DATABASE N WHY: the effects end exactly after step N.
faults_expect_steps_done() {
  local done_through
  done_through=$(faults_steps_done "$1") || exit 1
  [ "$done_through" = "$2" ] || fail "$3: expected the effects of steps 1 to $2, found those of steps 1 to $done_through"
}

# faults_expect_same_database DATABASE REFERENCE WHY [EXCEPT]: the same
# catalogue (tables, columns with types and positions, keys, indexes) and the
# same bill kinds; snapshot lines that match the extended regular expression
# EXCEPT are left out of the comparison. The actual snapshot stays in
# $E2E_DIR/faults-same.actual.
faults_expect_same_database() {
  local actual=$E2E_DIR/faults-same.actual reference=$E2E_DIR/faults-same.reference
  snapshot "$1" "$actual" && snapshot "$2" "$reference" || fail "reading the catalogues failed"
  faults_fill_state "$1" >>"$actual"
  faults_fill_state "$2" >>"$reference"
  diff <(grep -Ev -- "${4:-^$}" "$reference") <(grep -Ev -- "${4:-^$}" "$actual") >&2 ||
    fail "$3: $1 differs from $2 (diff above: < reference, > actual)"
}

# --- the program --------------------------------------------------------------------

# The observer (tests/e2e/ReportObserver.cpp, built with the tests) records
# the text of every message box the program opens: xdotool sees no text.
FAULTS_OBSERVER=$CORVANTIS_BIN_DIR/libreportobserver.so

FAULTS_REPORTS=$E2E_DIR/reports

# faults_start_program: the program as start_program runs it, observed.
faults_start_program() {
  [ -f "$FAULTS_OBSERVER" ] || fail "no message box observer at $FAULTS_OBSERVER: build the tests"
  : >"$FAULTS_REPORTS"
  LD_PRELOAD=$FAULTS_OBSERVER CORVANTIS_FAULTS_REPORT_LOG=$FAULTS_REPORTS start_program
}

# faults_wait_report SECONDS: waits for the error report; sets REPORT_WINDOW,
# REPORT_ICON (3: the stop icon), REPORT_CAPTION and REPORT_TEXT (escaped as
# the observer writes it).
faults_wait_report() {
  if ! REPORT_WINDOW=$(titled Corvantis "$1"); then
    running && fail "no error report within $1 s"
    wait_exit 1 || true
    local xvfb="Xvfb on $DISPLAY is running"
    kill -0 "$XVFB_PID" 2>/dev/null || xvfb="Xvfb on $DISPLAY has ended"
    fail "the program ended with status $PROGRAM_STATUS and no error report; its output: $(cat "$E2E_DIR/program.log"); $xvfb, its log: $(cat "$E2E_DIR/xvfb.log")"
  fi
  [ "$(wc -l <"$FAULTS_REPORTS")" = 1 ] || fail "expected one message box, the observer saw: $(cat "$FAULTS_REPORTS")"
  IFS=$'\t' read -r REPORT_ICON REPORT_CAPTION REPORT_TEXT <"$FAULTS_REPORTS"
}

# faults_expect_report SECONDS TEXT: the error report comes with exactly TEXT
# (\r and \n written as such), the stop icon and the application title.
faults_expect_report() {
  faults_wait_report "$1"
  [ "$REPORT_CAPTION" = Corvantis ] || fail "the report's caption is '$REPORT_CAPTION'"
  [ "$REPORT_ICON" = 3 ] || fail "the report shows icon $REPORT_ICON, not the stop icon"
  [ "$REPORT_TEXT" = "$2" ] || fail "the report reads '$REPORT_TEXT', expected '$2'"
}

# faults_expect_report_matching SECONDS REGEX: as above, the text matching an
# extended regular expression, for texts that carry numbers the server picks.
faults_expect_report_matching() {
  faults_wait_report "$1"
  [ "$REPORT_CAPTION" = Corvantis ] || fail "the report's caption is '$REPORT_CAPTION'"
  [ "$REPORT_ICON" = 3 ] || fail "the report shows icon $REPORT_ICON, not the stop icon"
  grep -Eq -- "$2" <<<"$REPORT_TEXT" || fail "the report reads '$REPORT_TEXT', which does not match '$2'"
}

# faults_expect_clean_run SECONDS WHY: the program ends by itself with 0 and
# showed no message box.
faults_expect_clean_run() {
  wait_exit "$1" || fail "$2: the program was still running after $1 s"
  [ "$PROGRAM_STATUS" = 0 ] || fail "$2: exit status $PROGRAM_STATUS"
  [ ! -s "$FAULTS_REPORTS" ] || fail "$2: the program showed a message box: $(cat "$FAULTS_REPORTS")"
}

# faults_poll_outcome WHY: whether the latest run has come to its end; when
# it has, sets OUTCOME: "report" (its one error report was then answered and
# the program ended with 0; REPORT_TEXT holds the report) or "silent" (it ended
# with 0 and showed no box). Returns 1 while it runs on without a report.
faults_poll_outcome() {
  if [ -s "$FAULTS_REPORTS" ]; then
    faults_wait_report 10
    faults_end_after_report "$1"
    OUTCOME=report
  elif ! running; then
    faults_expect_clean_run 1 "$1"
    OUTCOME=silent
  else
    return 1
  fi
}

# faults_wait_outcome SECONDS WHY: waits for the latest run's end as above;
# fails when it neither ends nor reports within SECONDS.
faults_wait_outcome() {
  local _
  for _ in $(seq $(($1 * 10))); do
    faults_poll_outcome "$2" && return 0
    sleep 0.1
  done
  fail "$2: the program neither ended nor showed a report within $1 s"
}

# faults_answer_report: presses Enter in the report until it closes. A key
# sent in the moment the box first maps can be lost before the box takes the
# focus, so the key is sent again while the box is still there.
faults_answer_report() {
  local _
  for _ in $(seq 1 10); do
    answer "$REPORT_WINDOW" 2>/dev/null || true
    for _ in $(seq 1 10); do
      xdotool search --onlyvisible --name '^Corvantis$' 2>/dev/null | grep -qx "$REPORT_WINDOW" || return 0
      sleep 0.1
    done
  done
  fail "the error report did not close on Enter"
}

# faults_end_after_report WHY: answering the report of a failed run ends the
# program by itself, with status 0.
faults_end_after_report() {
  faults_answer_report
  wait_exit 20 || fail "$1: the program did not end after its error report was answered"
  [ "$PROGRAM_STATUS" = 0 ] || fail "$1: exit status $PROGRAM_STATUS after the report"
}

# faults_end_after_refused_opening WHY: a failed opening stops the program
# with its main window open under the report; once the report is answered it
# stays so until the user closes the window, which ends it with 0.
faults_end_after_refused_opening() {
  faults_answer_report
  ! wait_exit 1 || fail "$1: the program ended by itself after the report (status $PROGRAM_STATUS)"
  local main
  main=$(titled FormVelmar 5) || fail "$1: the main window is not open after the report"
  close_window "$main"
  wait_exit 10 || fail "$1: closing the window did not end the program"
  [ "$PROGRAM_STATUS" = 0 ] || fail "$1: exit status $PROGRAM_STATUS"
}

# faults_program_attachment: the condition on MON$ATTACHMENTS A that picks
# the program's own attachment, by the process id the server sees.
faults_program_attachment() { echo "A.MON\$REMOTE_PID = $PROGRAM_PID"; }

# faults_wait_statement DATABASE TEXT: returns once the program's attachment
# is seen executing a statement that begins with TEXT.
faults_wait_statement() {
  local seen _
  for _ in $(seq 1 300); do
    seen=$(faults_isql "$1" <<EOF
SELECT COUNT(*) FROM MON\$STATEMENTS S JOIN MON\$ATTACHMENTS A ON A.MON\$ATTACHMENT_ID = S.MON\$ATTACHMENT_ID
  WHERE $(faults_program_attachment) AND S.MON\$STATE <> 0 AND S.MON\$SQL_TEXT STARTING WITH '$2';
EOF
    ) || seen=0
    [ "${seen//[[:space:]]/}" != 0 ] && return 0
    running || fail "the program ended before it was seen executing '$2'"
    sleep 0.1
  done
  fail "the program was not seen executing '$2' within 30 s"
}

# faults_wait_ddl TEXT: returns once the server's trace (trace_start) shows the
# program's process preparing a statement that contains TEXT while the program
# runs on. Firebird 3 lists no DDL in MON$STATEMENTS, so a run held inside an
# ALTER is seen this way.
faults_wait_ddl() {
  local _
  for _ in $(seq 1 300); do
    if grep -qF -- "$1" "$E2E_DIR/trace.out" 2>/dev/null && grep -q ":$PROGRAM_PID\$" "$E2E_DIR/trace.out"; then
      running || fail "the program ended while it was to be held in '$1'"
      return 0
    fi
    running || fail "the program ended before the server saw it prepare '$1'"
    sleep 0.1
  done
  fail "the server's trace did not show the program preparing '$1' within 30 s"
}

# --- another attachment -------------------------------------------------------------

# faults_holder_start NAME DATABASE: an isql-fb session fed through a fifo, so
# that its transaction stays open between the statements sent to it (plain
# ASCII only: the fifo is a pipe to isql-fb). DDL waits for an explicit COMMIT.
faults_holder_start() {
  local fifo=$E2E_DIR/holder-$1.fifo fd
  mkfifo "$fifo"
  isql-fb -q -user "$CORVANTIS_FB_USER" -password "$CORVANTIS_FB_PASSWORD" "$2" \
    <"$fifo" >"$E2E_DIR/holder-$1.out" 2>&1 &
  echo $! >"$E2E_DIR/holder-$1.pid"
  # Kept open for writing, so that isql-fb never reads an end of file.
  exec {fd}>"$fifo"
  echo "$fd" >"$E2E_DIR/holder-$1.fd"
  faults_on_exit faults_holder_stop "$1"
  faults_holder_send "$1" "SET AUTODDL OFF;"
}

faults_holder_send() {  # faults_holder_send NAME SQL
  local fd
  fd=$(cat "$E2E_DIR/holder-$1.fd")
  (printf '%s\n' "$2" >&"$fd") 2>/dev/null || fail "the other attachment '$1' has gone: $(cat "$E2E_DIR/holder-$1.out")"
}

# faults_holder_sync NAME: returns once the session has carried out all that
# was sent to it, every statement of it successful.
faults_holder_sync() {
  local marker="SYNC$RANDOM$RANDOM" out=$E2E_DIR/holder-$1.out _
  faults_holder_send "$1" "SELECT '$marker' FROM RDB\$DATABASE;"
  for _ in $(seq 1 200); do
    if grep -q "$marker" "$out"; then
      ! grep -q "Statement failed" "$out" || fail "a statement of the other attachment '$1' failed: $(cat "$out")"
      return 0
    fi
    kill -0 "$(cat "$E2E_DIR/holder-$1.pid")" 2>/dev/null ||
      fail "the other attachment '$1' ended: $(cat "$E2E_DIR/holder-$1.out")"
    sleep 0.1
  done
  fail "the other attachment '$1' did not answer: $(cat "$E2E_DIR/holder-$1.out")"
}

# faults_hold_bill NAME DATABASE TABLE BILL_ID: the session NAME changes one
# bill of a sample bill table and keeps the change uncommitted, so that an
# UPDATE of every row of the table waits for that row.
faults_hold_bill() {
  faults_holder_start "$1" "$2"
  faults_holder_send "$1" "UPDATE $3 SET REMARK = 'held by $1' WHERE BILL_ID = '$4';"
  faults_holder_sync "$1"
}

# faults_holder_stop NAME: ends the session; an open transaction is rolled back.
faults_holder_stop() {
  [ -f "$E2E_DIR/holder-$1.fd" ] || return 0
  local fd pid _
  fd=$(cat "$E2E_DIR/holder-$1.fd")
  pid=$(cat "$E2E_DIR/holder-$1.pid")
  # In a subshell: when the session has died already, the write's SIGPIPE
  # must not end the test's shell.
  (printf 'ROLLBACK;\nQUIT;\n' >&"$fd") 2>/dev/null || true
  exec {fd}>&-
  rm -f "$E2E_DIR/holder-$1.fd" "$E2E_DIR/holder-$1.fifo"
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# --- a server of the test's own --------------------------------------------------------

# faults_private_server_start VAR: starts a server like the shared one on a
# free port of 127.0.0.1, with a folder of its own, and sets VAR to its
# host/port; a test may stop it without disturbing anyone using the shared
# server. Stopped and removed at exit.
faults_private_server_start() {
  [ "$(id -u)" = 0 ] || fail "starting a server of the test's own needs root (scripts/fb-server-start.sh)"
  local port found=
  for port in $(seq 3061 3099); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue
    [ -e "/tmp/corvantis-fb-faults-$port" ] && continue
    found=$port
    break
  done
  [ -n "$found" ] || fail "no free port from 3061 to 3099 on 127.0.0.1 for the test's own server"
  FAULTS_PRIVATE_HOST=127.0.0.1/$port
  FAULTS_PRIVATE_RUNDIR=/tmp/corvantis-fb-faults-$port
  mkdir "$FAULTS_PRIVATE_RUNDIR" || fail "$FAULTS_PRIVATE_RUNDIR is taken"
  faults_on_exit rm -rf "$FAULTS_PRIVATE_RUNDIR"
  faults_on_exit faults_private_server_stop
  faults_private_server_restart
  printf -v "$1" '%s' "$FAULTS_PRIVATE_HOST"
}

faults_private_server_restart() {
  CORVANTIS_FB_HOST=$FAULTS_PRIVATE_HOST CORVANTIS_FB_RUNDIR=$FAULTS_PRIVATE_RUNDIR \
    bash "$CORVANTIS_SOURCE_DIR/scripts/fb-server-start.sh" >"$E2E_DIR/private-server.out" 2>&1 ||
    fail "the test's own server did not start on $FAULTS_PRIVATE_HOST: $(cat "$E2E_DIR/private-server.out")"
}

faults_private_server_stop() {
  CORVANTIS_FB_HOST=$FAULTS_PRIVATE_HOST CORVANTIS_FB_RUNDIR=$FAULTS_PRIVATE_RUNDIR \
    bash "$CORVANTIS_SOURCE_DIR/scripts/fb-server-stop.sh" >"$E2E_DIR/private-server.out" 2>&1 ||
    fail "stopping the test's own server failed: $(cat "$E2E_DIR/private-server.out")"
}

# --- a run broken off inside step 17 ---------------------------------------------------

# faults_step17_databases NAME [HOST]: sets STEP17_DB to a sample database of
# 200 rows a table, and STEP17_REFERENCE to a byte copy of it that one clean
# run upgraded. Needs the display (start_xvfb).
faults_step17_databases() {
  faults_new_db STEP17_DB "$1" "${2:-}"
  faults_new_db STEP17_REFERENCE reference "${2:-}"
  faults_make_db "$STEP17_DB" 200
  faults_copy_db "$STEP17_DB" "$STEP17_REFERENCE"
  configure "$STEP17_REFERENCE"
  faults_start_program
  faults_expect_clean_run 60 "the clean reference run"
  faults_expect_steps_done "$STEP17_REFERENCE" 46 "the clean reference run"
}

# faults_run_into_step17: starts the program on STEP17_DB and returns once it
# is inside the backfill of SAL_MASTER (step 17), with every row before the
# last bill rewritten: another attachment ("pin") holds an uncommitted change
# to that bill, so the statement waits there, however fast the machine is.
faults_run_into_step17() {
  faults_hold_bill pin "$STEP17_DB" SAL_MASTER S00000200
  configure "$STEP17_DB"
  faults_start_program
  faults_wait_statement "$STEP17_DB" "UPDATE SAL_MASTER"
}

# faults_expect_resumed WHAT: the run WHAT broke off kept steps 1 to 16 and
# none of step 17's rewritten rows; a new run completes the upgrade, and the
# database then equals the reference.
faults_expect_resumed() {
  faults_expect_steps_done "$STEP17_DB" 16 "after $1 inside step 17"
  faults_start_program
  faults_expect_clean_run 60 "the run after $1"
  faults_expect_same_database "$STEP17_DB" "$STEP17_REFERENCE" "resumed after $1"
}

# --- a run cut before statement k ---------------------------------------------------------

# The cutting driver (tests/cutdriver) between the program and the real
# driver: it makes the cut just before the program's statement k reaches the
# server and writes what it saw to $FAULTS_CUT_REPORT.
FAULTS_CUT_REPORT=$E2E_DIR/cut.report

# faults_cut_configure DATABASE K [COMMAND]: INI files for a run on DATABASE
# through the cutting driver, cut before the prepare of statement K (0: no
# cut) by COMMAND, or by deleting the program's attachment when none is given.
faults_cut_configure() {
  configure "$1"
  faults_ini_set "$FAULTS_DRIVERS" LibraryName "$CORVANTIS_BIN_DIR/libcutdbv.so"
  export CORVANTIS_CUT_DRIVER=$CORVANTIS_BIN_DIR/libdbvfb.so CORVANTIS_CUT_AT=$2 CORVANTIS_CUT_PHASE=prepare
  export CORVANTIS_CUT_REPORT=$FAULTS_CUT_REPORT CORVANTIS_CUT_COMMAND=${3:-}
  : >"$FAULTS_CUT_REPORT"
}

# faults_cut_statements TEXT...: the numbers of the statements of the clean
# reference run (faults_cut_reference) whose text contains one of TEXTs, in order.
faults_cut_statements() {
  local text
  for text in "$@"; do grep -F -- "$text" "$E2E_DIR/cut.reference"; done |
    sed -n 's/^statement \([0-9]*\): .*/\1/p' | sort -n | uniq
}

# faults_expect_cut K: the latest run was cut before statement K and sent nothing after it.
faults_expect_cut() {
  grep -qx "cut $1 prepare" "$FAULTS_CUT_REPORT" || fail "no cut before statement $1: $(cat "$FAULTS_CUT_REPORT")"
  [ "$(grep -c '^statement ' "$FAULTS_CUT_REPORT")" = "$1" ] ||
    fail "the run went on past the cut before statement $1: $(cat "$FAULTS_CUT_REPORT")"
}

# The statements of the steps that send several statements on a first run, and
# of step 44, the guarded addition of PUB_PARAM.INCHKUD: each step's probe,
# its CREATE TABLE or ALTER, and its indexes.
FAULTS_MULTI_STATEMENT_TEXTS=(
  "RDB\$RELATION_NAME = 'WEB_MAINBOARD'" "CREATE TABLE WEB_MAINBOARD" "CREATE INDEX IDX_WEB_MAINBOARD "
  "RDB\$RELATION_NAME = 'WEB_TOPBOARD'" "CREATE TABLE WEB_TOPBOARD" "CREATE INDEX IDX_WEB_TOPBOARD_0 "
  "RDB\$RELATION_NAME = 'X_DAYACC_SUB2'" "CREATE TABLE X_DAYACC_SUB2" "CREATE INDEX IX_DAYACC_SUB2_"
  "RDB\$RELATION_NAME = 'PROD_BAND'" "CREATE TABLE PROD_BAND" "CREATE INDEX IDX_PD_BAND0 "
  "RDB\$FIELD_NAME = 'INCHKUD'" "ALTER TABLE PUB_PARAM ADD INCHKUD "
)

# faults_cut_reference NAME [HOST]: sets CUT_ORIGIN to a pre-upgrade sample
# database and CUT_REFERENCE to a copy of it upgraded in one clean run through
# the cutting driver, whose report then lists the statements of a full run.
faults_cut_reference() {
  faults_new_db CUT_ORIGIN "$1" "${2:-}"
  faults_new_db CUT_REFERENCE "$1_reference" "${2:-}"
  faults_make_db "$CUT_ORIGIN" 20
  faults_copy_db "$CUT_ORIGIN" "$CUT_REFERENCE"
  faults_cut_configure "$CUT_REFERENCE" 0
  faults_start_program
  faults_expect_clean_run 60 "the clean reference run"
  faults_expect_steps_done "$CUT_REFERENCE" 46 "the clean reference run"
  cp "$FAULTS_CUT_REPORT" "$E2E_DIR/cut.reference"
}

# faults_cut_run DATABASE K WHY REPORT_REGEX [COMMAND]: DATABASE becomes a
# fresh copy of CUT_ORIGIN; a run on it cut before statement K (by COMMAND, or
# by deleting the program's attachment) ends with an error report that
# matches REPORT_REGEX and, once the report is answered, with exit 0.
faults_cut_run() {
  local db=$1 k=$2 why=$3 report=$4 command=${5:-}
  faults_copy_db "$CUT_ORIGIN" "$db"
  faults_cut_configure "$db" "$k" "$command"
  faults_start_program
  faults_expect_report_matching 60 "$report"
  faults_expect_cut "$k"
  faults_end_after_report "$why"
}

# faults_cut_expect_converged DATABASE WHY: the next run completes, and the
# database then equals CUT_REFERENCE.
faults_cut_expect_converged() {
  faults_cut_configure "$1" 0
  faults_start_program
  faults_expect_clean_run 60 "the run after $2"
  faults_expect_same_database "$1" "$CUT_REFERENCE" "the run after $2"
}
