#!/usr/bin/env bash
# Another attachment holds an uncommitted change to a bill of ORDER_MASTER
# when the run starts; the backfill of ORDER_MASTER (step 15) needs that row.
#
# Observed with Firebird 3 (the driver's statements run read committed):
# - WaitOnLocks=True: the backfill waits for the other transaction. When that
#   one commits, the waiting UPDATE fails with an update conflict: Firebird 3
#   does not restart a read-committed statement on the row's new version. The
#   run ends with the report, steps 1 to 14 stay, ORDER_MASTER keeps none of
#   its backfill and the other's change stays. When the other rolls back
#   instead, the backfill goes on and the run completes.
# - WaitOnLocks=False: the backfill fails at once, while the other transaction
#   is still open, with Firebird 3's row lock conflict, which reads as the same
#   update conflict ("lock conflict on no wait transaction" is not part of it
#   for a row); the run ends with the report and nothing is lost.
# Wherever a run ended early, the next run completes the upgrade.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server
start_xvfb

conflict='update conflicts with concurrent update\\n-concurrent transaction number is [0-9]+\.$'
server_error='^Dbvance Error: \[0x0065\]: SQL Error\\r\\nSQL Server Error: '

# WaitOnLocks | the other transaction | report (extended regular expression; - none)
cases=(
  "True|commits while the backfill waits|${server_error}deadlock\\\\n-$conflict"
  "True|rolls back while the backfill waits|-"
  "False|stays open during the run|${server_error}deadlock\\\\n-$conflict"
)

held_remark() { faults_value "$1" "SELECT REMARK FROM ORDER_MASTER WHERE BILL_ID = 'O00000001';"; }

for row in "${cases[@]}"; do
  IFS='|' read -r wait other report <<<"$row"
  case_name="WaitOnLocks=$wait, the other transaction $other"
  faults_new_db db "wait-$wait-${other%% *}"
  faults_make_db "$db" 20
  faults_hold_bill lock "$db" ORDER_MASTER O00000001
  configure "$db"
  faults_ini_set "$FAULTS_CONNECTIONS" WaitOnLocks "$wait"
  faults_start_program

  if [ "$wait" = True ]; then
    faults_wait_statement "$db" "UPDATE ORDER_MASTER"
    running || fail "$case_name: the program ended instead of waiting"
    faults_expect_steps_done "$db" 14 "$case_name, while the backfill waits"
    case $other in
      commits*) faults_holder_send lock "COMMIT;" ;;
      *) faults_holder_send lock "ROLLBACK;" ;;
    esac
    faults_holder_sync lock
  fi

  if [ "$report" = - ]; then
    faults_expect_clean_run 60 "$case_name"
    faults_expect_steps_done "$db" 46 "$case_name"
  else
    faults_expect_report_matching 30 "$report"
    faults_end_after_report "$case_name"
    faults_expect_steps_done "$db" 14 "$case_name, after the report"
    [ "$wait" = True ] || { faults_holder_send lock "COMMIT;"; faults_holder_sync lock; }
    [ "$(held_remark "$db")" = "held by lock" ] || fail "$case_name: the other attachment's committed change is lost"
    faults_start_program
    faults_expect_clean_run 60 "$case_name, the next run"
    faults_expect_steps_done "$db" 46 "$case_name, the next run"
    [ "$(held_remark "$db")" = "held by lock" ] || fail "$case_name: the next run lost the other attachment's change"
  fi
  faults_holder_stop lock
  note "ok: $case_name"
done
pass "row lock held by another attachment: ${#cases[@]} cases"
