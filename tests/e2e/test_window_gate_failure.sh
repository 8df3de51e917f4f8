#!/usr/bin/env bash
# The first tick with no INI file anywhere: the gate probe cannot open the
# connection, so the default error report comes up under the application
# title, centred on the screen. After it the window stays open, idle, and
# closing it ends the program with status 0.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/lib.sh"

start_xvfb
start_alone
main=$(titled FormVelmar 10) || { log_of_program; fail "no window FormVelmar within 10 s"; }
report=$(titled Corvantis 10) || fail "no report captioned Corvantis within 10 s"
sleep 0.3
screenshot "$E2E_DIR/corvantis-report.png"
geometry "$report"
centre_x=$((WX + WW / 2))
centre_y=$((WY + WH / 2))
[ $((centre_x - 512)) -ge -1 ] && [ $((centre_x - 512)) -le 1 ] || fail "report not centred across: $centre_x"
[ $((centre_y - 384)) -ge -1 ] && [ $((centre_y - 384)) -le 1 ] || fail "report not centred down: $centre_y"
sleep 1
shown Corvantis || fail "the report went away by itself"

answer "$report"
for _ in $(seq 50); do shown Corvantis || break; sleep 0.1; done
shown Corvantis && { screenshot "$E2E_DIR/corvantis-answered.png"; fail "Enter did not dismiss the report"; }
sleep 1.5
running || fail "the program ended after the report"
[ "$(titled FormVelmar 1)" = "$main" ] || fail "the window is not open after the report"
shown Corvantis && fail "a second run reported again"

close_window "$main"
wait_exit 10 || fail "closing the window did not end the program"
[ "$PROGRAM_STATUS" = 0 ] || fail "exit status $PROGRAM_STATUS"
pass "gate failure: report under the title, centred, window stays; exit 0 on close"
