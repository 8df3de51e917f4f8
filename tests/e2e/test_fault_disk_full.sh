#!/usr/bin/env bash
# The disk under the database fills in the middle of a run: the database lies
# on a small tmpfs of the test's own, sized to hold the sample and about half
# of what a clean upgrade adds to it. The run must end with the error report
# (never as if complete), keep every step committed before the fill (the
# effects are a prefix of the run, no backfill half done), and leave the
# database readable. Then the tmpfs is grown, and no run may end silent over an
# incomplete upgrade: each later run ends, with the report or complete, and a
# complete one equals a clean upgrade. Whether the server can finish the
# interrupted work (an index it was building, say) is the server's to give;
# the runs that it refuses must each end with the report.
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

start_xvfb

# The upgrade's growth, measured on a copy on the ordinary disk: the space
# the file takes, not its length: the copies keep the sample's empty pages as
# holes, which the server fills without lengthening the file.
allocated() { echo $(($(stat -c '%b * %B' "$1"))); }
faults_new_db origin origin
faults_new_db reference reference
faults_make_db "$origin" 20
faults_copy_db "$origin" "$reference"
before=$(allocated "${reference#*:}")
configure "$reference"
faults_start_program
faults_expect_clean_run 60 "the clean reference run"
growth=$(($(allocated "${reference#*:}") - before))
[ "$growth" -gt 0 ] || fail "a clean upgrade did not grow the database"

# The database on the tmpfs, which then has room for a part of the growth:
# each part fills the disk in another step.
outcomes=()
for percent in 20 50 80; do
  case_name="room for $percent% of the growth"
  mount -o remount,size=64m "$disk" || fail "growing the tmpfs failed"
  db="$CORVANTIS_FB_HOST:$disk/disk_full_$percent.fdb"
  faults_on_exit faults_drop_db "$db"
  faults_copy_db "$origin" "$db"
  used_kib=$(df --output=used -k "$disk" | tail -n 1 | tr -d ' ')
  room_kib=$((used_kib + growth * percent / 100 / 1024))
  mount -o remount,size=${room_kib}k "$disk" || fail "shrinking the tmpfs to $room_kib KiB failed"

  configure "$db"
  faults_start_program
  faults_wait_outcome 60 "$case_name: the run that filled the disk"
  done_through=$(faults_steps_done "$db") || exit 1
  [ "$OUTCOME" = report ] ||
    fail "$case_name: the run that filled the disk ended as if complete, with steps 1 to $done_through done"
  [ "$REPORT_ICON" = 3 ] || fail "$case_name: the report shows icon $REPORT_ICON, not the stop icon"
  [ "$done_through" -lt 46 ] || fail "$case_name: the run left every step done, yet reported: $REPORT_TEXT"
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
pass "disk full in the middle of a run: report, earlier steps kept, readable; grown: ${outcomes[*]}"
