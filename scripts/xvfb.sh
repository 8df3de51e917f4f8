# Sourced: a private Xvfb server for the program's window.
# shellcheck shell=bash
#
# xvfb_start LOG: starts Xvfb on a display it picks itself (-displayfd), so
# that runs on one machine at the same time never race for one number;
# exports DISPLAY and sets XVFB_PID once the server takes connections. The
# caller stops it by that PID. -noreset: by default the server resets itself
# whenever its last client disconnects, and a program that connects in that
# moment is refused ("could not connect to display") - seen between two runs
# of the program in one test.
XVFB_PID=

xvfb_start() {
  local numbers _
  numbers=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$numbers" >"$1" 2>&1 &
  XVFB_PID=$!
  # Xvfb writes the number once it listens.
  for _ in $(seq 100); do
    if [ -s "$numbers" ]; then
      DISPLAY=:$(tr -dc '0-9' <"$numbers")
      export DISPLAY
      rm -f "$numbers"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numbers"
  echo "Xvfb did not start: $(cat "$1")" >&2
  return 1
}

xvfb_stop() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}
