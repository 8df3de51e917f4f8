# Sourced by the end-to-end helpers of both programs (tests/support/upgrade-e2e.sh
# for Linux, tests/wine/wine_lib.sh for Windows): the end of the program
# started in the background as PROGRAM_PID.
# shellcheck shell=bash

# wait_exit SECONDS: waits for the program to end; PROGRAM_STATUS is its status.
wait_exit() {
  local _
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$PROGRAM_PID" 2>/dev/null; then
      PROGRAM_STATUS=0
      wait "$PROGRAM_PID" || PROGRAM_STATUS=$?
      PROGRAM_PID=
      return 0
    fi
    sleep 0.1
  done
  return 1
}
