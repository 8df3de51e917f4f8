#!/usr/bin/env bash
# The program reads no command-line argument, and none reaches the toolkit:
# started with Qt's own options, it still shows its window on the display,
# captioned FormVelmar, and runs as always (here: no INI file anywhere, so the
# report of the missing connection file).
source "$CORVANTIS_SOURCE_DIR/tests/e2e/lib.sh"

start_xvfb
start_alone -platform offscreen -qwindowtitle Other -display :99 --help
main=$(titled FormVelmar 10) || { log_of_program; fail "no window captioned FormVelmar on $DISPLAY within 10 s"; }
report=$(titled Corvantis 10) || { log_of_program; fail "the run did not report the missing connection file"; }
close_window "$report"
sleep 0.5
close_window "$main"
wait_exit 10 || fail "closing the window did not end the program"
[ "$PROGRAM_STATUS" = 0 ] || fail "exit status $PROGRAM_STATUS"
pass "command-line arguments ignored: the window on the display, its caption, the run, exit 0"
