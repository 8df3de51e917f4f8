# Shared steps of the benchmarks: build, the test server, sample databases
# and the program's configuration. Sourced by each bench/*/run.sh.
# shellcheck shell=bash

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=../scripts/fb-env.sh
source "$bench_root/scripts/fb-env.sh"

bench_build() {  # bench_build TARGET...
  cmake -S "$bench_root" --preset default >/dev/null
  ninja -C "$bench_root/build" -j2 "$@" >/dev/null
}

bench_server() { bash "$bench_root/scripts/fb-server-start.sh" >/dev/null; }

bench_sample() {  # bench_sample ROWS FILE: a sample database on the server
  rm -f "$2"
  bash "$bench_root/scripts/make-sample-db.sh" -r "$1" "$CORVANTIS_FB_HOST:$2" >/dev/null
}

bench_copy() {  # bench_copy FROM TO: an identical copy, owned by the server's user
  cp "$1" "$2"
  chown firebird:firebird "$2"
  chmod 0660 "$2"
}

# shellcheck source=../scripts/lib/ini.sh
source "$bench_root/scripts/lib/ini.sh"

bench_config() {  # bench_config DATABASE DIR: the two INI files and Dbvance.conf; prints the XDG_CONFIG_HOME
  ini_configure "$2" "$bench_root/build/bin/libdbvfb.so" \
    "Database=$CORVANTIS_FB_HOST:$1" "User_Name=$CORVANTIS_FB_USER" "Password=$CORVANTIS_FB_PASSWORD"
  echo "$2/config"
}

# shellcheck source=../scripts/xvfb.sh
source "$bench_root/scripts/xvfb.sh"

# bench_scratch NAME: sets work (a scratch folder), original and copy (two
# database files on the test server), and starts Xvfb for the window when
# there is no display; all of it is removed or stopped at exit.
bench_scratch() {
  work=$(mktemp -d)
  original=$CORVANTIS_FB_DATADIR/bench_$1_original.fdb
  copy=$CORVANTIS_FB_DATADIR/bench_$1_copy.fdb
  trap 'rm -rf "$work"; rm -f "$original" "$copy"; xvfb_stop' EXIT
  [ -n "${DISPLAY:-}" ] || xvfb_start /dev/null
}

bench_median() {  # bench_median < numbers
  sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
