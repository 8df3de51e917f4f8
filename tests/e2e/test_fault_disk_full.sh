#!/usr/bin/env bash
# The disk under the database fills in the middle of a run: the database lies
# on a small tmpfs of the test's own, sized to hold the sample and a part (a
# fiftieth, a fifth, a half, two thirds) of what a clean upgrade adds to it.
# Observed on 20 rows a table: the first part fills it in step 1, a guarded
# column addition, the others in the creation of a table (steps 5, 21, 33).
# The run must end with the error report (never as if complete), keep every
# step committed before the fill (the effects are a prefix of the run, no
# backfill half done), and leave the database readable. Then the tmpfs is
# grown, and no run may end silent over an incomplete upgrade: each later run
# ends, with the report or complete, and a complete one equals a clean
# upgrade. Whether the server can finish the interrupted work (an index it
# was building, say) is the server's to give; the runs that it refuses must
# each end with the report.
#
# The databases are served by a server of the test's own: Firebird 3 has been
# seen to end itself after a full disk ("Operating system call
# pthread_mutex_lock failed. Error code 22" in its log), which must not take
# the shared server with it.
#
# Mounting needs root; without it the test skips, saying so.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server

if [ "$(id -u)" != 0 ]; then echo "SKIP: mounting the small tmpfs needs root"; exit 0; fi
disk=$(mktemp -d /tmp/corvantis-disk-full-XXXXXX)
chmod 0755 "$disk"
faults_on_exit rmdir "$disk"
mount -t tmpfs -o size=64m,mode=0777 corvantis-disk-full "$disk" 2>"$E2E_DIR/mount.err" ||
  { echo "SKIP: a tmpfs cannot be mounted here: $(cat "$E2E_DIR/mount.err")"; exit 0; }
# A detach the server has not finished keeps the file busy for a moment.
unmount() { umount "$1" || { sleep 2; umount "$1"; } || umount -l "$1"; }
faults_on_exit unmount "$disk"

faults_private_server_start host
server_alive() { kill -0 "$(cat "$FAULTS_PRIVATE_RUNDIR/firebird.pid")" 2>/dev/null; }
start_xvfb

# The upgrade's growth, measured on the tmpfs itself as the space a clean
# run takes there. The reference stays there, no attachment writing to it.
origin=  # set by faults_new_db
faults_new_db origin origin "$host"
faults_make_db "$origin" 20
reference="$host:$disk/reference.fdb"
faults_on_exit faults_drop_db "$reference"
used_kib() { df --output=used -k "$disk" | tail -n 1 | tr -d ' '; }
faults_copy_db "$origin" "$reference"
before_kib=$(used_kib)
configure "$reference"
faults_start_program
faults_expect_clean_run 60 "the clean reference run"
growth_kib=$(($(used_kib) - before_kib))
[ "$growth_kib" -gt 0 ] || fail "a clean upgrade took no space on the tmpfs"

# The database on the tmpfs, which then has room for a part of the growth:
# each part fills the disk in another step.
outcomes=()
for percent in 2 20 50 65; do
  case_name="room for $percent% of the growth"
  mount -o remount,size=64m "$disk" || fail "growing the tmpfs failed"
  db="$host:$disk/disk_full_$percent.fdb"
  faults_on_exit faults_drop_db "$db"
  faults_copy_db "$origin" "$db"
  room_kib=$(($(used_kib) + growth_kib * percent / 100))
  mount -o remount,size=${room_kib}k "$disk" || fail "shrinking the tmpfs to $room_kib KiB failed"

  configure "$db"
  faults_start_program
  faults_wait_outcome 60 "$case_name: the run that filled the disk"
  server_alive || fail "$case_name: the server ended when the disk filled; its log: $(tail -n 20 /var/log/firebird/firebird3.0.log)"
  if [ "$OUTCOME" = silent ]; then
    # The server found room after all (what a run needs is not quite what a
    # clean one leaves behind): a run that ends silent must be complete.
    faults_expect_same_database "$db" "$reference" "$case_name: the run ended silent"
    note "$case_name: the disk did not fill, the run completed"
    faults_drop_db "$db"
    continue
  fi
  done_through=$(faults_steps_done "$db") || exit 1
  [ "$REPORT_ICON" = 3 ] || fail "$case_name: the report shows icon $REPORT_ICON, not the stop icon"
  snapshot "$db" "$E2E_DIR/full.snapshot" || fail "$case_name: the database cannot be read after the disk filled"
  note "$case_name: the disk filled in step $((done_through + 1)), steps 1 to $done_through kept: $REPORT_TEXT"

  mount -o remount,size=64m "$disk" || fail "growing the tmpfs failed"
  later=()
  for run in 1 2 3; do
    faults_start_program
    faults_wait_outcome 60 "$case_name: run $run after the disk was grown"
    if [ "$OUTCOME" = report ]; then
      later+=("run $run: report '$REPORT_TEXT'")
      faults_steps_done "$db" >/dev/null || exit 1
      continue
    fi
    faults_expect_same_database "$db" "$reference" "$case_name: run $run after the disk was grown, which ended silent"
    later+=("run $run: complete, equal to a clean upgrade")
    break
  done
  note "$case_name, after the disk was grown: ${later[*]}"
  outcomes+=("step $((done_through + 1)): ${later[-1]}")
  faults_drop_db "$db"
done
[ "${#outcomes[@]}" -gt 0 ] || fail "the disk filled in none of the runs"
pass "disk full in the middle of a run: report, earlier steps kept, readable; grown: ${outcomes[*]}"
