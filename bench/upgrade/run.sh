#!/usr/bin/env bash
# Wall time of the upgrade run against isql-fb sending the same statements.
#
# usage: bench/upgrade/run.sh [ROWS] [REPEATS]    (defaults 100000 and 3)
# Builds into build/; needs root for the server.
#
# One sample database of ROWS rows per table is made on the test server and
# copied byte for byte into two databases per repeat: the program's run goes
# to one, isql-fb with the same statement sequence (probes, ALTERs, CREATEs
# and backfills as one input file) to the other; then both run again on their
# now upgraded copy (the no-op run: probes and the eight backfills).
#
# The program's time is that of upgrade_bench: gate probe (connection opening
# and driver loading included) to the end of the 46th step, without the
# window, its trace log and its fixed one-second start delay. isql-fb's time
# is its whole process (start and connection included). Ratios above 1 mean
# the program is slower. The order of the two alternates between repeats.
set -euo pipefail
rows=${1:-100000}
repeats=${2:-3}
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"

bench_build upgrade_bench dbvfb
bench=$bench_root/build/bin/upgrade_bench
bench_server

work=$(mktemp -d)
data=$CORVANTIS_FB_DATADIR
original=$data/bench_upgrade_original.fdb
program_db=$data/bench_upgrade_program.fdb
isql_db=$data/bench_upgrade_isql.fdb
cleanup() { rm -rf "$work"; rm -f "$original" "$program_db" "$isql_db"; }
trap cleanup EXIT

echo "making the sample database ($rows rows per table)..."
bench_sample "$rows" "$original"
"$bench" script first >"$work/first.sql"
"$bench" script again >"$work/again.sql"
config=$(bench_config "$program_db" "$work")

program_run() { XDG_CONFIG_HOME=$config "$bench" run; }
isql_run() {  # isql_run SCRIPT: seconds of the whole isql-fb process
  local start=$EPOCHREALTIME
  ISC_USER=$CORVANTIS_FB_USER ISC_PASSWORD=$CORVANTIS_FB_PASSWORD isql-fb -q -bail \
    "$CORVANTIS_FB_HOST:$isql_db" -i "$1" >"$work/isql.out" 2>&1 ||
    { cat "$work/isql.out" >&2; echo "isql-fb failed" >&2; exit 1; }
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f\n", b - a }'
}

printf '%-8s %12s %12s %8s %12s %12s %8s\n' repeat "first: prog" "isql" ratio "again: prog" "isql" ratio
for r in $(seq "$repeats"); do
  bench_copy "$original" "$program_db"
  bench_copy "$original" "$isql_db"
  if [ $((r % 2)) -eq 1 ]; then
    p1=$(program_run); i1=$(isql_run "$work/first.sql")
    p2=$(program_run); i2=$(isql_run "$work/again.sql")
  else
    i1=$(isql_run "$work/first.sql"); p1=$(program_run)
    i2=$(isql_run "$work/again.sql"); p2=$(program_run)
  fi
  echo "$r $p1 $i1 $p2 $i2" >>"$work/times"
  awk -v r="$r" -v p1="$p1" -v i1="$i1" -v p2="$p2" -v i2="$i2" \
    'BEGIN { printf "%-8s %12.3f %12.3f %8.2f %12.3f %12.3f %8.2f\n", r, p1, i1, p1 / i1, p2, i2, p2 / i2 }'
done
# Medians over the repeats.
median() { awk -v c="$1" '{ print $c }' "$work/times" | bench_median; }
awk -v p1="$(median 2)" -v i1="$(median 3)" -v p2="$(median 4)" -v i2="$(median 5)" \
  'BEGIN { printf "%-8s %12.3f %12.3f %8.2f %12.3f %12.3f %8.2f\n", "median", p1, i1, p1 / i1, p2, i2, p2 / i2 }'
