#!/usr/bin/env bash
# Wall time of a full upgrade run through Corvantis.exe under Wine, with
# dbvfb.dll and Firebird's client built here (scripts/build-fbclient-windows.sh),
# against the Linux program on an identical copy of the same database, both on
# the test server. No goal is set: Wine is not Windows.
#
# usage: bench/windows/run.sh [ROWS] [REPEATS]    (defaults 10000 and 2)
#
# Each time is the whole process, from its start to its own end: the window,
# the one-second start delay and the live log included on both sides, and on
# the Windows side Wine's start of the program in a prefix already booted.
# Ratios above 1 mean Corvantis.exe is slower. The order of the two
# alternates between repeats; the medians are printed last (of two repeats,
# each side's faster time).
set -euo pipefail
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
rows=${1:-10000}
repeats=${2:-2}

bench_build Corvantis dbvfb
# The Windows build as it stands (the test run's, warnings as errors), else a first one.
if [ -f "$bench_root/build-windows/build.ninja" ]; then
  ninja -C "$bench_root/build-windows" -j2 Corvantis dbvfb >/dev/null
else
  bash "$bench_root/scripts/build-windows.sh" >/dev/null
fi
windows_bin=$bench_root/build-windows/bin
fbclient=$(bash "$bench_root/scripts/build-fbclient-windows.sh" 2>/dev/null)
bench_server

work=$(mktemp -d)
original=$CORVANTIS_FB_DATADIR/bench_windows_original.fdb
linux_db=$CORVANTIS_FB_DATADIR/bench_windows_linux.fdb
windows_db=$CORVANTIS_FB_DATADIR/bench_windows_windows.fdb
# shellcheck source=../../scripts/wine-prefix.sh
source "$bench_root/scripts/wine-prefix.sh"
cleanup() { wine_prefix_stop; rm -rf "$work"; rm -f "$original" "$linux_db" "$windows_db"; }
trap cleanup EXIT
mkdir -p "$work/wine"
wine_prefix_start "$work/wine" >/dev/null

echo "making the sample database ($rows rows per table)..."
bench_sample "$rows" "$original"
config=$(bench_config "$linux_db" "$work")
app=$work/app
mkdir -p "$app"
cp "$windows_bin/Corvantis.exe" "$windows_bin/dbvfb.dll" "$fbclient" "$app/"
sed -e "s#^Database=.*#Database=$CORVANTIS_FB_HOST:$windows_db#" -e 's/$/\r/' "$work/dbvconnections.ini" \
  >"$app/dbvconnections.ini"
ini_section Firebird <"$INI_TEMPLATES/dbvdrivers.ini" | ini_fill LibraryName=dbvfb.dll VendorLib=fbclient.dll |
  sed 's/$/\r/' >"$app/dbvdrivers.ini"

timed() {  # timed COMMAND...: seconds of the whole process, which must end with 0
  local start=$EPOCHREALTIME
  "$@" >"$work/run.out" 2>&1 || { cat "$work/run.out" >&2; echo "the run failed: $*" >&2; exit 1; }
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f\n", b - a }'
}
linux_run() { XDG_CONFIG_HOME=$config timed "$bench_root/build/bin/Corvantis"; }
windows_run() { timed "$WINE" "$app/Corvantis.exe"; }

printf '%-8s %14s %12s %8s\n' repeat "Windows (s)" "Linux (s)" ratio
for r in $(seq "$repeats"); do
  bench_copy "$original" "$linux_db"
  bench_copy "$original" "$windows_db"
  if [ $((r % 2)) -eq 1 ]; then w=$(windows_run); l=$(linux_run); else l=$(linux_run); w=$(windows_run); fi
  echo "$w $l" >>"$work/times"
  awk -v r="$r" -v w="$w" -v l="$l" 'BEGIN { printf "%-8s %14.3f %12.3f %8.2f\n", r, w, l, w / l }'
done
w=$(awk '{ print $1 }' "$work/times" | bench_median)
l=$(awk '{ print $2 }' "$work/times" | bench_median)
awk -v w="$w" -v l="$l" 'BEGIN { printf "%-8s %14.3f %12.3f %8.2f\n", "median", w, l, w / l }'
