#!/usr/bin/env bash
# The benchmark suite: builds what it needs, starts the test server, runs each
# benchmark against its baseline in the same run and prints one table, a
# ratio per row (above 1: Corvantis is slower or larger than the baseline).
#
# usage: bench/run.sh [ROWS...]    rows per table of the full-run rows
#                                  (default 10000 100000 1000000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

rows_table=()
row() { rows_table+=("$(printf '| %-58s | %-44s | %7s |' "$1" "$2" "$3")"); }

# Two repeats, the program first in one and isql-fb first in the other, so
# that the order favours neither; each side's faster time is kept.
for n in "${sizes[@]}"; do
  echo "== full and no-op run at $n rows per table" >&2
  bash "$here/upgrade/run.sh" "$n" 2 >"$log"
  read -r _ p1 i1 r1 p2 i2 r2 < <(grep '^median' "$log")
  row "full run, $n rows per table" "${p1} s vs isql-fb ${i1} s" "$r1"
  row "no-op second run, $n rows per table" "${p2} s vs isql-fb ${i2} s" "$r2"
done

echo "== full run through Corvantis.exe under Wine, 10000 rows per table" >&2
bash "$here/windows/run.sh" 10000 2 >"$log"
read -r _ w l r < <(grep '^median' "$log")
row "full run under Wine (built client), 10000 rows, vs Linux" "${w} s vs the Linux program ${l} s" "$r"

echo "== 1000 catalogue probes" >&2
BUILD_DIR=$here/../build bash "$here/probes/run.sh" >"$log"
first() { grep -m 1 "$1" "$log" | awk -F: '{ split($2, f, " "); print f[1] }'; }
driver_ms=$(first 'driver, one')
row "1000 probes vs isql-fb, one transaction (forced writes on)" \
  "$driver_ms ms vs isql-fb $(first 'isql-fb, one transaction') ms" "$(first 'ratio driver / isql-fb one')"
row "1000 probes vs isql-fb, committing each (forced writes on)" \
  "$driver_ms ms vs isql-fb $(first 'isql-fb, a commit after each') ms" "$(first 'ratio driver / isql-fb commit')"

echo "== live log" >&2
bash "$here/log/run.sh" 10000 3 >"$log"
read -r _ on off ratio < <(grep '^median' "$log")
row "live log: 46 steps with monitor on vs off (10000 rows)" "${on} s vs ${off} s" "$ratio"
flood=$(grep '^flood:' "$log")
per_line=$(awk '{ print $NF }' <<<"$flood")
row "log flood: cost per line, 100000 lines vs 1000" "$(sed -E 's/.*\(([0-9.]+) us.*\(([0-9.]+) us.*/\2 us vs \1 us a line/' <<<"$flood")" "$per_line"
flood=$(grep '^flood, Win32' "$log")
if grep -q 'us/line' <<<"$flood"; then
  row "log flood, Win32 face under Wine: 3000 lines vs 300" \
    "$(sed -E 's/.*\(([0-9.]+) us.*\(([0-9.]+) us.*/\2 us vs \1 us a line/' <<<"$flood")" "$(awk '{ print $NF }' <<<"$flood")"
fi

echo "== peak memory" >&2
bash "$here/memory/run.sh" 100000 >"$log"
mem=$(tail -n 1 "$log")
row "peak memory of a full run (100000 rows), Corvantis vs isql-fb" \
  "$(sed -E 's/.*Corvantis ([0-9.]+ MiB), isql-fb ([0-9.]+ MiB).*/\1 vs \2/' <<<"$mem")" "$(awk '{ print $NF }' <<<"$mem")"

printf '| %-58s | %-44s | %7s |\n' "benchmark" "measured" "ratio"
printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..60})" "$(printf -- '-%.0s' {1..46})" "$(printf -- '-%.0s' {1..9})"
printf '%s\n' "${rows_table[@]}"
