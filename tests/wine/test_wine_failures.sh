#!/usr/bin/env bash
# Corvantis.exe's reports on the real server, each the same, byte for byte
# after the code page conversion, as the Linux program's on an identical
# database: the failure of step 31 (no BUYBILL_MASTER), a wrong password and
# a database that does not exist. After the step-31 report the program ends
# by itself with 0; after a refused opening the window stays until closed.
# Each Windows database ends as the Linux program's. The gate (no UPDATE_HIST)
# shows its warning with the warning icon and changes nothing.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_job_lib.sh"
wine_job_folder

faults_new_db gate gate
faults_make_db "$gate" 20 no-update-hist
write_marks "$gate" "$E2E_DIR/gate.before"
wine_job_configure "$gate"
start_windows_program
expect_box 60 warning Warning "請先完成舊版PACK"
expect_window_stays_then_close "the gate"
write_marks "$gate" "$E2E_DIR/gate.after"
diff "$E2E_DIR/gate.before" "$E2E_DIR/gate.after" >&2 || fail "the gate: the database changed"
note "the gate: the warning with its icon, nothing changed"

# case | variant of the sample | how the configuration breaks | what follows the report
cases=(
  "step 31 fails|no-buybill-master||ends"
  "wrong password|full|Password=not-$CORVANTIS_FB_PASSWORD|stays"
  "no such database|full|Database=$CORVANTIS_FB_HOST:$CORVANTIS_FB_DATADIR/missing_$$.fdb|stays"
)
configure_broken() {  # configure_broken DATABASE: both programs' files, broken as the case says
  wine_job_configure "$1"
  if [ -n "$broken" ]; then
    faults_ini_set "$FAULTS_CONNECTIONS" "${broken%%=*}" "${broken#*=}"
    wine_job_connections
  fi
}
for row in "${cases[@]}"; do
  IFS='|' read -r name variant broken after <<<"$row"
  faults_new_db db "${name// /_}"
  faults_new_db reference "${name// /_}_reference"
  faults_make_db "$db" 20 "$variant"
  faults_copy_db "$db" "$reference"

  configure_broken "$reference"
  wine_job_linux_report "$after"
  linux_text=$REPORT_TEXT

  configure_broken "$db"
  start_windows_program
  expect_box 60 stop Corvantis "$linux_text"
  case $after in
    ends)
      wait_exit 20 || fail "$name: Corvantis.exe did not end after its report"
      [ "$PROGRAM_STATUS" = 0 ] || fail "$name: exit status $PROGRAM_STATUS" ;;
    stays) expect_window_stays_then_close "$name" ;;
  esac
  faults_expect_same_database "$db" "$reference" "$name"
  note "$name: $linux_text"
done

pass "Corvantis.exe's reports on the real server: the gate and ${#cases[@]} failures, each as the Linux program's"
