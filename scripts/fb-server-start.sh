#!/usr/bin/env bash
# Starts a Firebird 3 server for the tests and the benchmarks, bound to
# 127.0.0.1 on the port of CORVANTIS_FB_HOST (default 3051).
#
# The server runs from a private root folder (CORVANTIS_FB_RUNDIR) that mirrors
# the system's one except for firebird.conf, and it keeps its users in a
# private copy of the security database. The system's configuration and its
# SYSDBA password stay untouched, and a system server on 3050 may run beside it.
#
# Idempotent: a server this script started and that still answers is left
# running. Runs as root (it installs missing packages and switches to the
# firebird user). The server's PID goes to $CORVANTIS_FB_RUNDIR/firebird.pid;
# scripts/fb-server-stop.sh stops exactly that process.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=fb-env.sh
source "$here/fb-env.sh"

fail() {
  echo "fb-server-start: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || fail "must run as root (it installs packages and starts the server as the firebird user)"
[[ "$CORVANTIS_FB_PORT" =~ ^[0-9]+$ ]] || fail "CORVANTIS_FB_HOST '$CORVANTIS_FB_HOST' names no numeric port"

"$here/install-deps.sh"

# The answer check also proves the password: the services manager refuses a
# wrong one.
server_answers() {
  fbsvcmgr "$CORVANTIS_FB_HOST:service_mgr" user "$CORVANTIS_FB_USER" password "$CORVANTIS_FB_PASSWORD" \
    info_server_version >/dev/null 2>&1
}

# The PID file names our server only while that process is the server binary.
recorded_server_pid() {
  [ -f "$FB_PID_FILE" ] || return 1
  local pid
  pid="$(cat "$FB_PID_FILE")"
  [[ "$pid" =~ ^[0-9]+$ ]] || return 1
  [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$FB_SERVER_BINARY" ] || return 1
  echo "$pid"
}

if pid="$(recorded_server_pid)"; then
  if server_answers; then
    echo "fb-server-start: already running (pid $pid) on $CORVANTIS_FB_HOST"
    exit 0
  fi
  fail "the server of pid $pid runs but does not answer on $CORVANTIS_FB_HOST; stop it with scripts/fb-server-stop.sh"
fi
rm -f "$FB_PID_FILE"

[ -x "$FB_SERVER_BINARY" ] || fail "$FB_SERVER_BINARY is missing after installing the packages"
[ -d "$FB_SYSTEM_ROOT" ] || fail "the server's root folder $FB_SYSTEM_ROOT is missing"
[ -f "$FB_SECURITY_DATABASE" ] || fail "the security database $FB_SECURITY_DATABASE is missing"
if (exec 3<>"/dev/tcp/127.0.0.1/$CORVANTIS_FB_PORT") 2>/dev/null; then
  fail "port $CORVANTIS_FB_PORT on 127.0.0.1 is taken by another process; set CORVANTIS_FB_HOST to 127.0.0.1/<free port>"
fi

# Private root: links to everything of the system's root but firebird.conf,
# which is the system's with our address, port and security database.
mkdir -p "$CORVANTIS_FB_RUNDIR"
chmod 0755 "$CORVANTIS_FB_RUNDIR"
for entry in "$FB_SYSTEM_ROOT"/*; do
  name="$(basename "$entry")"
  case "$name" in
    firebird.conf | intl) continue ;;
  esac
  ln -sfn "$entry" "$CORVANTIS_FB_RUNDIR/$name"
done
# The character sets' module must be a real file under the root: loaded
# through a link, the server knows none of its character sets ("CHARACTER SET
# WIN1252 is not defined") although the module loads.
rm -rf "$CORVANTIS_FB_RUNDIR/intl"
cp -rL "$FB_SYSTEM_ROOT/intl" "$CORVANTIS_FB_RUNDIR/intl"
security_copy="$CORVANTIS_FB_RUNDIR/security3.fdb"
{
  grep -v -E '^[[:space:]]*(RemoteBindAddress|RemoteServicePort|RemoteServiceName|SecurityDatabase)[[:space:]]*=' \
    "$FB_SYSTEM_ROOT/firebird.conf" || true
  echo "RemoteBindAddress = 127.0.0.1"
  echo "RemoteServicePort = $CORVANTIS_FB_PORT"
  echo "SecurityDatabase = $security_copy"
} >"$CORVANTIS_FB_RUNDIR/firebird.conf"
chmod 0644 "$CORVANTIS_FB_RUNDIR/firebird.conf"

if [ ! -f "$security_copy" ]; then
  cp "$FB_SECURITY_DATABASE" "$security_copy"
fi
chown firebird:firebird "$security_copy"
chmod 0660 "$security_copy"

# The lock folder must belong to the server's user; the embedded engine of a
# root process would otherwise create it for root alone.
mkdir -p "$FB_LOCK_DIR"
chown firebird:firebird "$FB_LOCK_DIR"
chmod 0770 "$FB_LOCK_DIR"

mkdir -p "$CORVANTIS_FB_DATADIR"
chown firebird:firebird "$CORVANTIS_FB_DATADIR"
chmod 0770 "$CORVANTIS_FB_DATADIR"

# The password is set with the embedded engine, which needs none. The script
# goes through a file because the statement must not appear in a process list.
password_sql="$(mktemp)"
trap 'rm -f "$password_sql"' EXIT
escaped_password="${CORVANTIS_FB_PASSWORD//\'/\'\'}"
printf "create or alter user %s password '%s' using plugin Srp;\ncommit;\n" \
  "$CORVANTIS_FB_USER" "$escaped_password" >"$password_sql"
if ! FIREBIRD="$CORVANTIS_FB_RUNDIR" isql-fb -q -user "$CORVANTIS_FB_USER" -i "$password_sql" "$security_copy" \
  >"$CORVANTIS_FB_RUNDIR/password.out" 2>&1; then
  cat "$CORVANTIS_FB_RUNDIR/password.out" >&2
  fail "could not set the password of $CORVANTIS_FB_USER in $security_copy"
fi

# Started directly as the firebird user (no init system, no guard process), in a
# session of its own so that it outlives the caller's terminal and job.
FIREBIRD="$CORVANTIS_FB_RUNDIR" setsid setpriv --reuid=firebird --regid=firebird --init-groups \
  "$FB_SERVER_BINARY" </dev/null >"$FB_OUTPUT_FILE" 2>&1 &
pid=$!
echo "$pid" >"$FB_PID_FILE"

for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    break
  fi
  if server_answers; then
    echo "fb-server-start: running (pid $pid) on $CORVANTIS_FB_HOST, databases in $CORVANTIS_FB_DATADIR"
    exit 0
  fi
  sleep 0.2
done

{
  echo "fb-server-start: the server did not come up on $CORVANTIS_FB_HOST"
  echo "--- server output ($FB_OUTPUT_FILE):"
  cat "$FB_OUTPUT_FILE"
  echo "--- end of the server log:"
  tail -n 20 /var/log/firebird/firebird3.0.log 2>/dev/null || true
} >&2
if kill -0 "$pid" 2>/dev/null; then
  kill -TERM "$pid"
fi
rm -f "$FB_PID_FILE"
exit 1
