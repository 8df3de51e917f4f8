#!/usr/bin/env bash
# Stops the server that scripts/fb-server-start.sh started: exactly the process
# its PID file names, and only while that process is still the server binary.
# Waits until it has gone. Nothing recorded or nothing running: nothing to do.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=fb-env.sh
source "$here/fb-env.sh"

if [ ! -f "$FB_PID_FILE" ]; then
  echo "fb-server-stop: no server recorded in $FB_PID_FILE"
  exit 0
fi
pid="$(cat "$FB_PID_FILE")"
if ! [[ "$pid" =~ ^[0-9]+$ ]] || [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" != "$FB_SERVER_BINARY" ]; then
  echo "fb-server-stop: the recorded server (pid $pid) is not running"
  rm -f "$FB_PID_FILE"
  exit 0
fi

# A zombie counts as gone: where PID 1 reaps nothing it would stay forever.
alive() {
  local state
  state="$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# The server shuts down cleanly on SIGTERM: it closes its databases first.
kill -TERM "$pid"
for _ in $(seq 1 150); do
  if ! alive; then
    rm -f "$FB_PID_FILE"
    echo "fb-server-stop: stopped (pid $pid)"
    exit 0
  fi
  sleep 0.2
done

echo "fb-server-stop: pid $pid ignored SIGTERM for 30 s; killing it" >&2
kill -KILL "$pid" 2>/dev/null || true
while alive; do sleep 0.2; done
rm -f "$FB_PID_FILE"
echo "fb-server-stop: killed (pid $pid)"
