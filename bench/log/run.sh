#!/usr/bin/env bash
# The live log's cost.
#
# usage: bench/log/run.sh [ROWS] [REPEATS]    (defaults 10000 and 3)
#
# 1. The 46 steps on identical copies of one sample database, through the real
#    main window, with the trace monitor on (each event a painted log line)
#    against off; ratio on/off.
# 2. A synthetic flood of driver events through the trace callback into the
#    log: 100 000 lines against 1 000; the ratio of the cost per line shows
#    whether a long log slows each new line.
# 3. The same flood through the Win32 face under Wine (300 lines against 3000:
#    Wine's edit control is slow), when the Windows build is there.
# The window runs on Xvfb when there is no display.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
rows=${1:-10000}
repeats=${2:-3}

bench_build log_bench dbvfb
bench_server
bench=$bench_root/build/bin/log_bench
bench_scratch log
export QT_QPA_PLATFORM=xcb

bench_sample "$rows" "$original"
config=$(bench_config "$copy" "$work")

run() {  # run on|off: seconds of the 46 steps on a fresh copy
  bench_copy "$original" "$copy"
  XDG_CONFIG_HOME=$config "$bench" run "$1" 2>/dev/null
}

printf '%-8s %10s %8s %10s %8s\n' repeat "on (s)" lines "off (s)" ratio
for r in $(seq "$repeats"); do
  if [ $((r % 2)) -eq 1 ]; then on=$(run on); off=$(run off); else off=$(run off); on=$(run on); fi
  read -r on_s lines <<<"$on"
  read -r off_s _ <<<"$off"
  echo "$on_s $off_s" >>"$work/runs"
  awk -v r="$r" -v a="$on_s" -v n="$lines" -v b="$off_s" 'BEGIN { printf "%-8s %10.3f %8d %10.3f %8.2f\n", r, a, n, b, a / b }'
done
on_m=$(awk '{ print $1 }' "$work/runs" | bench_median)
off_m=$(awk '{ print $2 }' "$work/runs" | bench_median)
awk -v a="$on_m" -v b="$off_m" 'BEGIN { printf "%-8s %10.3f %8s %10.3f %8.2f\n", "median", a, "", b, a / b }'

short=$("$bench" flood 1000 2>/dev/null)
long=$("$bench" flood 100000 2>/dev/null)
awk -v s="$short" -v l="$long" 'BEGIN {
  printf "flood: 1000 lines %.3f s (%.1f us/line), 100000 lines %.3f s (%.1f us/line), per-line ratio %.2f\n",
         s, s * 1e6 / 1000, l, l * 1e6 / 100000, (l / 100000) / (s / 1000) }'

# The Win32 face's figure under Wine, beside the Qt one (Wine is no Windows:
# no goal is set for it). Needs the Windows build (scripts/build-windows.sh).
# shellcheck source=../../scripts/lib/wine.sh
source "$bench_root/scripts/lib/wine.sh"
if [ -f "$bench_root/build-windows/build.ninja" ] && [ -x "$WINE" ]; then
  ninja -C "$bench_root/build-windows" -j2 log_bench >/dev/null
  (
    source "$bench_root/scripts/wine-prefix.sh"
    mkdir -p "$work/wine"
    trap wine_prefix_stop EXIT
    wine_prefix_start "$work/wine" >/dev/null || exit 1
    win_bench=$bench_root/build-windows/bin/log_bench.exe
    short=$("$WINE" "$win_bench" flood 300 2>/dev/null | tr -d '\r')
    long=$("$WINE" "$win_bench" flood 3000 2>/dev/null | tr -d '\r')
    awk -v s="$short" -v l="$long" 'BEGIN {
      printf "flood, Win32 face under Wine: 300 lines %.3f s (%.1f us/line), 3000 lines %.3f s (%.1f us/line), per-line ratio %.2f\n",
             s, s * 1e6 / 300, l, l * 1e6 / 3000, (l / 3000) / (s / 300) }'
  )
else
  echo "flood, Win32 face under Wine: not measured (no Windows build; run scripts/build-windows.sh first)"
fi
