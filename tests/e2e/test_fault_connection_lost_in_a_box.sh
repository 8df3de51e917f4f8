#!/usr/bin/env bash
# The connection dies while one of the program's boxes is open: the error
# report (BUYBILL_MASTER missing ends the run at step 31) or the gate's
# warning (no UPDATE_HIST). The attachment is deleted from MON$ATTACHMENTS or
# the server is stopped meanwhile. Once the last box is answered (and, after
# the warning, the window closed), the program ends within seconds with 0:
# its exit ends the kept transaction and detaches, and neither may wait on a
# connection the server has ended.
#
# The server stopped is one of the test's own, so the shared one keeps serving.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

faults_private_server_start host
start_xvfb

# lose_connection HOW DATABASE: the program's attachment ends from outside.
lose_connection() {
  case $1 in
    deleted)
      local killed
      killed=$(faults_isql "$2" <<SQL
SET COUNT ON;
DELETE FROM MON\$ATTACHMENTS WHERE MON\$ATTACHMENT_ID <> CURRENT_CONNECTION
  AND MON\$REMOTE_PID = $PROGRAM_PID AND MON\$REMOTE_PROCESS CONTAINING 'Corvantis';
SQL
      ) || fail "deleting the program's attachment failed"
      grep -q "Records affected: 1" <<<"$killed" || fail "not exactly the program's attachment was deleted: $killed"
      ;;
    stopped) faults_private_server_stop ;;
  esac
}

# box | how the connection is lost
cases=("report|deleted" "report|stopped" "warning|deleted" "warning|stopped")
for row in "${cases[@]}"; do
  IFS='|' read -r box how <<<"$row"
  case_name="the connection $how while the $box is open"
  faults_new_db db "lost_in_$box" "$host"
  if [ "$box" = report ]; then faults_make_db "$db" 20 no-buybill-master; else faults_make_db "$db" 20 no-update-hist; fi
  configure "$db"
  faults_start_program
  if [ "$box" = report ]; then
    faults_wait_report 60
    grep -q BUYBILL_MASTER <<<"$REPORT_TEXT" || fail "$case_name: the report reads '$REPORT_TEXT'"
    lose_connection "$how" "$db"
    faults_end_after_report "$case_name"
  else
    warning=$(window_named Warning 30) || fail "$case_name: no warning dialog within 30 s"
    lose_connection "$how" "$db"
    answer "$warning"
    main=$(window_named FormVelmar 5) || fail "$case_name: the main window is not open after the warning"
    close_window "$main"
    wait_exit 20 || fail "$case_name: the program did not end after its window was closed"
    [ "$PROGRAM_STATUS" = 0 ] || fail "$case_name: exit status $PROGRAM_STATUS"
  fi
  [ "$how" = stopped ] && faults_private_server_restart
  note "ok: $case_name"
done
pass "the connection lost while a box is open: ${#cases[@]} cases, each program ended once answered"
