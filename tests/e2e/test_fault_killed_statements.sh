#!/usr/bin/env bash
# The program's process is ended outright (SIGKILL, as a crash or a power cut
# of the workstation would) just before one of its statements reaches the
# server, at a sample of statements spread over a first run, before their
# prepare and before their execute in turn. The process ends by that signal at
# once, with no box; what it committed stays (the effects are a prefix of the
# run, no backfill half done); the next run completes, and the database equals
# a copy upgraded in one clean run.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

SAMPLES=10
start_xvfb
faults_cut_reference killed
statements=$(grep -c '^statement ' "$E2E_DIR/cut.reference")
[ "$statements" -ge "$SAMPLES" ] || fail "the clean run sent only $statements statements"

faults_new_db db killed_run
for ((i = 0; i < SAMPLES; ++i)); do
  k=$((1 + i * (statements - 1) / (SAMPLES - 1)))
  phase=$([ $((i % 2)) = 0 ] && echo prepare || echo execute)
  what="SIGKILL before the $phase of statement $k ($(sed -n "s/^statement $k: //p" "$E2E_DIR/cut.reference"))"
  faults_copy_db "$CUT_ORIGIN" "$db"
  # The cut's command runs in a shell whose parent is the program.
  # shellcheck disable=SC2016  # $PPID is that shell's, expanded there
  faults_cut_configure "$db" "$k" 'kill -KILL $PPID'
  export CORVANTIS_CUT_PHASE=$phase
  faults_start_program
  wait_exit 60 || fail "$what: the program was still running 60 s after the cut was due"
  [ "$PROGRAM_STATUS" = $((128 + 9)) ] || fail "$what: the program ended with status $PROGRAM_STATUS, not by SIGKILL"
  [ ! -s "$FAULTS_REPORTS" ] || fail "$what: the program showed a message box: $(cat "$FAULTS_REPORTS")"
  [ "$(grep -c '^statement ' "$FAULTS_CUT_REPORT")" = "$k" ] ||
    fail "$what: the program was not killed at statement $k: $(cat "$FAULTS_CUT_REPORT")"
  faults_steps_done "$db" >/dev/null || exit 1
  faults_cut_expect_converged "$db" "$what"
  note "converged: $what"
done
pass "SIGKILL before $SAMPLES statements spread over the run: the next run equals a clean one each time"
