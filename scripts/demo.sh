#!/usr/bin/env bash
# The whole job in one command: installs what is missing, builds Corvantis,
# makes a sample point-of-sale database on the embedded engine (no server
# needed), points the program at it through INI files of its own (the user's
# settings stay untouched), runs it,
# in a real window when there is a display and under Xvfb when there is none,
# and prints what the upgrade changed in the database.
#
# usage: demo.sh [ROWS]    ROWS: rows per sample table (default 20)
# Everything it writes goes to out/demo/ and is replaced at the next run; the
# build goes to build/ (or CORVANTIS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
rows=${1:-20}
demo=$root/out/demo
database=$demo/POSDATA.FDB
timeout_seconds=300

echo "== installing what is missing"
bash scripts/install-deps.sh

build=${CORVANTIS_BUILD_DIR:-$root/build}
echo "== building into $build"
cmake --preset default -B "$build" >/dev/null
ninja -C "$build" -j2 Corvantis dbvfb >/dev/null
bin=$build/bin

echo "== making the sample database"
rm -rf "$demo"
mkdir -p "$demo"
bash scripts/make-sample-db.sh -r "$rows" "$database"

# The shipped INI templates, pointed at the sample database and the driver of
# this build; the embedded engine takes any password for SYSDBA.
# shellcheck source=lib/ini.sh
source scripts/lib/ini.sh
ini_configure "$demo" "$bin/libdbvfb.so" "Database=$database" User_Name=SYSDBA

bash scripts/show-upgrade-result.sh snapshot "$database" "$demo/before.txt"

# shellcheck source=xvfb.sh
source scripts/xvfb.sh
trap xvfb_stop EXIT

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== running Corvantis in a window on $DISPLAY (it closes itself when the upgrade is done)"
else
  xvfb_start "$demo/xvfb.log"
  echo "== running Corvantis under Xvfb on $DISPLAY (no display here)"
fi

# The window toolkit wants a private runtime folder; without one it complains.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  mkdir -m 0700 "$demo/runtime"
  export XDG_RUNTIME_DIR=$demo/runtime
fi
started=$EPOCHREALTIME
XDG_CONFIG_HOME=$demo/config "$bin/Corvantis" &
program=$!
status=
for _ in $(seq $((timeout_seconds * 10))); do
  if ! kill -0 "$program" 2>/dev/null; then
    status=0; wait "$program" || status=$?
    break
  fi
  sleep 0.1
done
if [ -z "$status" ]; then
  # A dialog nobody can answer under Xvfb: keep a picture of it, then stop.
  [ -n "$XVFB_PID" ] && import -window root "$demo/screen.png" 2>/dev/null || true
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  echo "Corvantis was still running after ${timeout_seconds}s (a dialog waiting?); see $demo/screen.png" >&2
  exit 1
fi
awk -v s="$status" -v a="$started" -v b="$EPOCHREALTIME" \
  'BEGIN { printf "Corvantis exited with status %s after %.1f s (the run starts 1 s after the window shows)\n", s, b - a }'

bash scripts/show-upgrade-result.sh snapshot "$database" "$demo/after.txt"
echo "== what the upgrade changed in $database"
bash scripts/show-upgrade-result.sh report "$demo/before.txt" "$demo/after.txt"
exit "$status"
