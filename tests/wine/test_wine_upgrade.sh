#!/usr/bin/env bash
# Corvantis.exe upgrades a fresh sample database on the real server, through
# dbvfb.dll and Firebird's own client: exit 0 with no box, the same database
# as the Linux program makes of an identical copy, every BILL_KIND A4 40 AF EB.
# The client is named by its bare name and found beside the program. A second
# run, with the client named by its full path in a folder of its own, sends no
# CREATE or ALTER (the server's own trace) and changes nothing. Started
# maximised, minimised, or minimised as a shortcut starts it, it does the same
# upgrade.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_job_lib.sh"

faults_new_db origin origin
faults_new_db db full
faults_new_db reference reference
faults_make_db "$origin"
faults_copy_db "$origin" "$db"
faults_copy_db "$origin" "$reference"
wine_job_folder

configure "$reference"
faults_start_program
faults_expect_clean_run 60 "the Linux run"

wine_job_configure "$db"
wine_job_clean_run "the first run"
faults_expect_same_database "$db" "$reference" "Corvantis.exe's run"
wine_job_expect_general "$db" "Corvantis.exe's run"
note "first run: the same database as the Linux run's"

for mode in maximised minimised shortcut-minimised; do
  faults_new_db started "$mode"
  faults_copy_db "$origin" "$started"
  wine_job_configure "$started"
  wine_job_clean_run "started $mode" "$mode"
  faults_expect_same_database "$started" "$reference" "started $mode"
  note "started $mode: the same database as the Linux run's"
done

client=$WINE_DIR/client
mkdir -p "$client"
mv "$WINE_APP/fbclient.dll" "$client/"
wine_job_configure "$db" "$(windows_path "$client/fbclient.dll")"
write_marks "$db" "$E2E_DIR/before"
trace_start "$db"
wine_job_clean_run "the second run"
trace_stop
write_marks "$db" "$E2E_DIR/after"
diff "$E2E_DIR/before" "$E2E_DIR/after" >&2 || fail "the second run changed the database"
PROGRAM_LAST_PID=$(sed -n 's/.*Corvantis\.exe:\([0-9]*\)$/\1/p' "$E2E_DIR/trace.out" | head -n 1)
[ -n "$PROGRAM_LAST_PID" ] || fail "the server's trace shows no attachment of Corvantis.exe"
program_statements >"$E2E_DIR/statements"
count=$(grep -c '^=====$' "$E2E_DIR/statements" || true)
[ "$count" = 52 ] || fail "the server prepared $count statements of the second run, not 52 (the probes and 8 backfills)"
! grep -q -E '^(CREATE|ALTER) ' "$E2E_DIR/statements" || fail "a CREATE or ALTER of the second run reached the server"
note "second run: 52 statements, no CREATE or ALTER, nothing changed"

pass "Corvantis.exe's real upgrade: the Linux run's database, a second run changes nothing; the client beside it and by full path; every show state"
