#!/usr/bin/env bash
# Two workstations start the program on one database at the same moment, with
# WaitOnLocks on and off: both runs meet on the same catalogue rows and
# tables. Each instance must end by itself, with success or one error report
# (answering it ends the program with 0); one that ends without a report must
# leave a complete upgrade behind at that moment, every step applied by it or
# found applied; and one more run then completes and leaves the database
# equal to a copy upgraded in one clean run. Several rounds each, as who comes
# first differs from round to round.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server
start_xvfb

ROUNDS=3
origin=  # set by faults_new_db
faults_new_db origin origin
faults_new_db reference reference
faults_make_db "$origin" 20
faults_copy_db "$origin" "$reference"
configure "$reference"
faults_start_program
faults_expect_clean_run 60 "the clean reference run"

faults_new_db db shared
outcomes=()
for wait in True False; do
  for round in $(seq 1 "$ROUNDS"); do
    case_name="WaitOnLocks=$wait, round $round"
    faults_copy_db "$origin" "$db"
    configure "$db"
    faults_ini_set "$FAULTS_CONNECTIONS" WaitOnLocks "$wait"
    pids=() reports=()
    for instance in 0 1; do
      FAULTS_REPORTS=$E2E_DIR/reports-$instance
      faults_start_program
      pids[instance]=$PROGRAM_PID reports[instance]=$FAULTS_REPORTS
    done
    ended=("" "")
    for _ in $(seq 1 900); do
      for instance in 0 1; do
        [ -z "${ended[instance]}" ] || continue
        PROGRAM_PID=${pids[instance]} FAULTS_REPORTS=${reports[instance]}
        faults_poll_outcome "$case_name, instance $instance" || continue
        pids[instance]=
        if [ "$OUTCOME" = silent ]; then
          faults_expect_steps_done "$db" 46 "$case_name: instance $instance ended without a report"
          ended[instance]=complete
        else
          ended[instance]="report '$REPORT_TEXT'"
        fi
      done
      [ -z "${pids[0]}${pids[1]}" ] && break
      sleep 0.1
    done
    if [ -n "${pids[0]}${pids[1]}" ]; then
      # shellcheck disable=SC2086  # the pids of those still running, unquoted on purpose
      kill -KILL ${pids[0]} ${pids[1]}
      fail "$case_name: an instance neither ended nor reported within 90 s"
    fi
    note "$case_name: ${ended[0]}; ${ended[1]}"
    outcomes+=("$case_name: ${ended[0]}; ${ended[1]}")

    FAULTS_REPORTS=$E2E_DIR/reports
    faults_start_program
    faults_expect_clean_run 60 "$case_name, the next run"
    faults_expect_same_database "$db" "$reference" "$case_name, the next run"
    faults_drop_db "$db"
  done
done
pass "two instances at once, ${#outcomes[@]} rounds, each ended and the next run converged"
