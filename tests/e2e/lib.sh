# Helpers of the window's end-to-end tests, sourced by tests/e2e/test_window_*.sh.
# Xvfb on a free display, the program's windows by name, closing them as a
# window manager would, and the end of the process come from the shared
# end-to-end support; this adds the program started alone and screenshots.
#
# Needs CORVANTIS_BIN_DIR and CORVANTIS_SOURCE_DIR (ctest sets both).
# shellcheck source=../support/upgrade-e2e.sh
source "$CORVANTIS_SOURCE_DIR/tests/support/upgrade-e2e.sh"

# ImageMagick's own convert; an earlier one on the PATH may be a stand-in.
CONVERT=/usr/bin/convert
[ -x "$CONVERT" ] || CONVERT=convert

# start_alone [ARGUMENT...]: a copy of the executable in a folder of its own,
# so no INI file lies beside it, with an empty per-user configuration, given
# the arguments. START_MS is when it began.
start_alone() {
  mkdir -p "$E2E_DIR/alone" "$E2E_DIR/config"
  cp "$CORVANTIS_BIN_DIR/Corvantis" "$E2E_DIR/alone/Corvantis"
  START_MS=$(date +%s%3N)
  XDG_CONFIG_HOME=$E2E_DIR/config "$E2E_DIR/alone/Corvantis" "$@" >"$E2E_DIR/program.log" 2>&1 &
  PROGRAM_PID=$!
}

since_start_ms() { echo $(($(date +%s%3N) - START_MS)); }

# screenshot FILE: the whole screen as PNG. With CORVANTIS_E2E_SHOTS set to a
# folder, a copy is kept there for a person to look at.
screenshot() {
  import -display "$DISPLAY" -window root "$1"
  if [ -n "${CORVANTIS_E2E_SHOTS:-}" ]; then mkdir -p "$CORVANTIS_E2E_SHOTS" && cp "$1" "$CORVANTIS_E2E_SHOTS/"; fi
}

# pixel FILE X Y: the colour there as RRGGBB.
pixel() {
  "$CONVERT" "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}

# geometry WINDOW: sets WX WY WW WH from the window's position and size.
geometry() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  WX=$X WY=$Y WW=$WIDTH WH=$HEIGHT
}

# This xdotool matches --name against the window class as well, and the class
# of every window of the program is "Corvantis", the report's caption. These
# compare the window's own name.

# titled_now NAME: the program's visible window named exactly NAME, if any.
titled_now() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" --name "^$1\$" 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && { echo "$id"; return 0; }
  done
  return 1
}

# titled NAME SECONDS: waits for that window and prints its id.
titled() {
  local _
  for _ in $(seq $(($2 * 10))); do
    titled_now "$1" && return 0
    sleep 0.1
  done
  return 1
}

shown() { titled_now "$1" >/dev/null; }

log_of_program() { cat "$E2E_DIR/program.log" >&2; }
