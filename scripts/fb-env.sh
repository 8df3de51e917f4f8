# Shared defaults of the test server, sourced by the server scripts and the
# benchmark. Every value can be overridden from the environment.
#
# CORVANTIS_FB_HOST     host/port in the client's form; the server listens there
# CORVANTIS_FB_USER     the administrator the tests connect as
# CORVANTIS_FB_PASSWORD its password, written into the security database at start
# CORVANTIS_FB_DATADIR  a folder the server's own user can write; test databases live here
# CORVANTIS_FB_RUNDIR   the server's private configuration, pid file and output

export CORVANTIS_FB_HOST="${CORVANTIS_FB_HOST:-127.0.0.1/3051}"
export CORVANTIS_FB_USER="${CORVANTIS_FB_USER:-SYSDBA}"
export CORVANTIS_FB_PASSWORD="${CORVANTIS_FB_PASSWORD:-masterkey}"
export CORVANTIS_FB_DATADIR="${CORVANTIS_FB_DATADIR:-/tmp/corvantis-fb}"
export CORVANTIS_FB_RUNDIR="${CORVANTIS_FB_RUNDIR:-/tmp/corvantis-fb-server}"

# The address part before the "/" and the port after it; a host without a port
# means the client's default port.
CORVANTIS_FB_ADDRESS="${CORVANTIS_FB_HOST%%/*}"
if [[ "$CORVANTIS_FB_HOST" == */* ]]; then
  CORVANTIS_FB_PORT="${CORVANTIS_FB_HOST#*/}"
else
  CORVANTIS_FB_PORT=3050
fi

# Where Debian's packages put the server, its root folder and its security database.
FB_SERVER_BINARY=/usr/sbin/firebird
FB_SYSTEM_ROOT=/usr/lib/x86_64-linux-gnu/firebird/3.0
FB_SECURITY_DATABASE=/var/lib/firebird/3.0/system/security3.fdb
FB_LOCK_DIR=/tmp/firebird
FB_PID_FILE="$CORVANTIS_FB_RUNDIR/firebird.pid"
FB_OUTPUT_FILE="$CORVANTIS_FB_RUNDIR/firebird.out"
