# Shared steps of the upgrade's end-to-end tests, sourced by
# tests/e2e/test_upgrade_*.sh: a sample database on the test server, INI files
# that point the real Corvantis at it, Xvfb, the server's trace, and the
# program's windows. Everything started here is stopped by PID at exit.
#
# ctest sets CORVANTIS_BIN_DIR and CORVANTIS_SOURCE_DIR; run by hand, the
# source tree is the one holding this file and the build is its build/.
set -euo pipefail

CORVANTIS_SOURCE_DIR=${CORVANTIS_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
CORVANTIS_BIN_DIR=${CORVANTIS_BIN_DIR:-$CORVANTIS_SOURCE_DIR/build/bin}
# shellcheck source=../../scripts/fb-env.sh
source "$CORVANTIS_SOURCE_DIR/scripts/fb-env.sh"
# shellcheck source=../../scripts/xvfb.sh
source "$CORVANTIS_SOURCE_DIR/scripts/xvfb.sh"
# shellcheck source=../../scripts/lib/ini.sh
source "$CORVANTIS_SOURCE_DIR/scripts/lib/ini.sh"
# shellcheck source=../../scripts/lib/isql.sh
source "$CORVANTIS_SOURCE_DIR/scripts/lib/isql.sh"
# shellcheck source=../../scripts/lib/outcome.sh
source "$CORVANTIS_SOURCE_DIR/scripts/lib/outcome.sh"
export ISC_USER=$CORVANTIS_FB_USER ISC_PASSWORD=$CORVANTIS_FB_PASSWORD

E2E_DIR=$(mktemp -d /tmp/corvantis-e2e-XXXXXX)
E2E_DATABASES=()
TRACE_PID=
TRACE_ID=
TRACE_DB=
PROGRAM_PID=
PROGRAM_LAST_PID=  # the process of the latest run, also after it ended
PROGRAM_STATUS=

e2e_cleanup() {
  if [ -n "$PROGRAM_PID" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
    # A program left running by a failed test may sit in a modal dialog.
    kill -KILL "$PROGRAM_PID"
    wait "$PROGRAM_PID" 2>/dev/null || true
  fi
  trace_stop >/dev/null 2>&1 || true
  xvfb_stop
  local db
  for db in "${E2E_DATABASES[@]}"; do isql_drop "$db" || true; done
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

# A missing server fails the test, unless CORVANTIS_NO_SERVER=1 skips it.
require_server() {
  if [ "${CORVANTIS_NO_SERVER:-0}" = 1 ]; then echo "SKIP: CORVANTIS_NO_SERVER=1"; exit 0; fi
  fbsvcmgr "$CORVANTIS_FB_HOST:service_mgr" info_server_version >/dev/null 2>&1 ||
    fail "no Firebird server answers on $CORVANTIS_FB_HOST; start it with scripts/fb-server-start.sh"
}

# sample_db VAR NAME VARIANTS: makes the database and sets VAR to its
# connection string. NAME: letters, digits and underscores (it stands in a
# trace pattern).
sample_db() {
  local target="$CORVANTIS_FB_HOST:$CORVANTIS_FB_DATADIR/${2}_$$.fdb"
  E2E_DATABASES+=("$target")
  bash "$CORVANTIS_SOURCE_DIR/scripts/make-sample-db.sh" -v "$3" "$target" >/dev/null
  printf -v "$1" '%s' "$target"
}

# isql_run DATABASE SQL: rows without headings, a failed statement's error
# among them.
isql_run() {
  printf 'SET HEADING OFF;\n%s\n' "$2" >"$E2E_DIR/run.sql"
  isql_output "$1" "$E2E_DIR/run.sql"
}

snapshot() {  # snapshot DATABASE FILE
  bash "$CORVANTIS_SOURCE_DIR/scripts/show-upgrade-result.sh" snapshot "$1" "$2"
}

# write_marks DATABASE FILE: the snapshot plus what changes when a table is
# altered (its format) or a row rewritten (its record version).
write_marks() {
  snapshot "$1" "$2"
  local sql="SELECT TRIM(RDB\$RELATION_NAME) || ' format ' || RDB\$FORMAT FROM RDB\$RELATIONS WHERE RDB\$SYSTEM_FLAG = 0 ORDER BY 1;"
  local t
  for t in ORDER_MASTER ORDER_SUB SAL_MASTER SAL_SUB SALBK_MASTER SALBK_SUB BUYBILL_MASTER BUYBILL_SUB; do
    sql+=$'\n'"SELECT '$t version ' || MAX(RDB\$RECORD_VERSION) FROM $t;"
  done
  isql_run "$1" "$sql" >>"$2"
}

# configure DATABASE: INI files for the program, found through XDG_CONFIG_HOME.
configure() {
  ini_configure "$E2E_DIR" "$CORVANTIS_BIN_DIR/libdbvfb.so" \
    "Database=$1" "User_Name=$CORVANTIS_FB_USER" "Password=$CORVANTIS_FB_PASSWORD"
}

start_xvfb() { xvfb_start "$E2E_DIR/xvfb.log" || fail "Xvfb did not start"; }

# trace_start DATABASE: records every statement the server prepares for it.
trace_start() {
  TRACE_DB=$1
  local file=${1##*/}
  printf 'database = %%[\\\\/]%s\n{\n  enabled = true\n  log_statement_prepare = true\n  log_errors = true\n  time_threshold = 0\n  max_sql_length = 65535\n}\n' \
    "$file" >"$E2E_DIR/trace.conf"
  # There before the session's output: on a busy machine the background job
  # may not have opened it yet when it is first read below.
  : >"$E2E_DIR/trace.out"
  fbtracemgr -se "$CORVANTIS_FB_HOST:service_mgr" -start -name "upgrade_e2e_$$" -config "$E2E_DIR/trace.conf" \
    >"$E2E_DIR/trace.out" 2>&1 &
  TRACE_PID=$!
  local _
  for _ in $(seq 100); do
    TRACE_ID=$(sed -n 's/^Trace session ID \([0-9]*\) started$/\1/p' "$E2E_DIR/trace.out")
    [ -n "$TRACE_ID" ] && return 0
    sleep 0.05
  done
  fail "the trace session did not start: $(cat "$E2E_DIR/trace.out")"
}

# trace_stop: ends the session; the trace is then complete in $E2E_DIR/trace.out.
# The server hands events over with a delay and drops undelivered ones when the
# session stops, so a marker statement goes last and is waited for.
trace_stop() {
  [ -n "$TRACE_PID" ] || return 0
  local _ marker="corvantis trace end $$"
  if [ -n "$TRACE_ID" ]; then
    isql_run "$TRACE_DB" "SELECT '$marker' FROM RDB\$DATABASE;" >/dev/null
    for _ in $(seq 200); do grep -q "$marker" "$E2E_DIR/trace.out" && break; sleep 0.05; done
    fbtracemgr -se "$CORVANTIS_FB_HOST:service_mgr" -stop -id "$TRACE_ID" >/dev/null 2>&1
  fi
  for _ in $(seq 100); do kill -0 "$TRACE_PID" 2>/dev/null || break; sleep 0.05; done
  kill "$TRACE_PID" 2>/dev/null || true
  wait "$TRACE_PID" 2>/dev/null || true
  TRACE_PID=
  TRACE_ID=
}

# program_statements: the statement texts the latest run's process had prepared,
# one per block, each block ended by a line "=====". The server also traces
# requests of its own on the program's attachment; only texts a client sent
# end with CR LF (the trace then adds a line end of its own), so only those
# are kept.
program_statements() {
  awk -v pid="$PROGRAM_LAST_PID" '
    / PREPARE_STATEMENT$/ { event = 1; line = 0; next }
    event { ++line }
    event && line == 2 { ours = ($0 ~ ":" pid "$"); next }
    event && /^-+$/ { inText = ours; text = ""; next }
    inText && /^ *[0-9]+ ms$/ {
      if (text ~ /\r\n\n$/) printf "%s=====\n", substr(text, 1, length(text) - 1)
      inText = 0; event = 0; next
    }
    inText { text = text $0 "\n" }
  ' "$E2E_DIR/trace.out"
}

start_program() {
  XDG_CONFIG_HOME=$E2E_DIR/config "$CORVANTIS_BIN_DIR/Corvantis" >"$E2E_DIR/program.log" 2>&1 &
  PROGRAM_PID=$!
  PROGRAM_LAST_PID=$PROGRAM_PID
}

# shellcheck source=program-process.sh
source "$CORVANTIS_SOURCE_DIR/tests/support/program-process.sh"

running() { [ -n "$PROGRAM_PID" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; }

# window_named NAME SECONDS: prints the id of the program's visible window of that name.
window_named() {
  local _ id
  for _ in $(seq $(($2 * 10))); do
    id=$(xdotool search --all --onlyvisible --pid "$PROGRAM_PID" --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# answer WINDOW: presses Enter in it, as a user acknowledging a dialog.
answer() {
  xdotool mousemove --window "$1" 10 10 windowfocus --sync "$1" key Return
}

close_window() {  # as the title bar's close button does
  python3 "$CORVANTIS_SOURCE_DIR/tests/support/close-window.py" "$1"
}
