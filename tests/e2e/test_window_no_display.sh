#!/usr/bin/env bash
# With no display to open, the program says so on standard error and exits
# with status 1 instead of aborting.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/lib.sh"

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$CORVANTIS_BIN_DIR/Corvantis" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || status=$?
[ "$status" = 1 ] || { cat "$E2E_DIR/err" >&2; fail "exit status $status, not 1"; }
grep -q "^Corvantis: the window system cannot be started" "$E2E_DIR/err" || { cat "$E2E_DIR/err" >&2; fail "no message on standard error"; }
pass "no display: message on standard error, exit 1"
