#!/usr/bin/env bash
# Peak memory of a full upgrade run of the real program (window, trace log and
# all, on Xvfb when there is no display) against isql-fb sending the same
# statement sequence, each on an identical copy of one sample database.
#
# usage: bench/memory/run.sh [ROWS]    (default 100000)
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
rows=${1:-100000}

bench_build Corvantis upgrade_bench dbvfb
bench_server
bench_scratch memory

peak_kb() {  # peak_kb COMMAND...: runs it and prints its peak resident size in KiB
  python3 -c '
import resource, subprocess, sys
status = subprocess.call(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
if status != 0:
    sys.exit("%s exited with %d" % (sys.argv[1], status))
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$@"
}

bench_sample "$rows" "$original"
config=$(bench_config "$copy" "$work")
"$bench_root/build/bin/upgrade_bench" script first >"$work/first.sql"

bench_copy "$original" "$copy"
program=$(XDG_CONFIG_HOME=$config peak_kb "$bench_root/build/bin/Corvantis")
bench_copy "$original" "$copy"
isql=$(peak_kb isql-fb -q -bail -user "$CORVANTIS_FB_USER" -password "$CORVANTIS_FB_PASSWORD" \
  "$CORVANTIS_FB_HOST:$copy" -i "$work/first.sql")
awk -v p="$program" -v i="$isql" -v r="$rows" 'BEGIN {
  printf "peak memory of a full run at %d rows: Corvantis %.1f MiB, isql-fb %.1f MiB, ratio %.2f\n", r, p / 1024, i / 1024, p / i }'
