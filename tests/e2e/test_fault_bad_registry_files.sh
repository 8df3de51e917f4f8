#!/usr/bin/env bash
# Registry and settings files no one should write but someone will, through
# the real program: huge (10 MB), binary, without line ends, with a NUL in the
# middle, with very long lines, with thousands of sections. Each gives the
# reading the INI format defines: the run goes through when the wanted section
# is there whole, else the report names what is missing. No crash, no hang,
# memory bounded by the longest line rather than the file, and every failed
# run leaves the database untouched.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
require_server
start_xvfb

faults_new_db db bad_input
faults_make_db "$db" 20
write_marks "$db" "$E2E_DIR/marks.before"

MIB=$((1024 * 1024))
TEN_MB=$((10 * MIB))

# bad_file KIND FILE [ARG...]: rewrites FILE (a working INI file) into a bad one.
#   noise             10 MB of random bytes, no NUL among them
#   joined            the lines joined by blanks, then 10 MB of letters: one line, no line end
#   nul-after KEY     a NUL right after the line of KEY
#   long-entry KEY N  an entry KEY of N letters added at the end of the section
#   long-value KEY N  KEY's value replaced by N letters
#   sections-around   20 000 other sections before and after the file's own
#   huge-before       10 MB of another section's entries before the file's own
bad_file() {
  python3 - "$@" <<'EOF'
import random, sys
kind, path, args = sys.argv[1], sys.argv[2], sys.argv[3:]
TEN_MB = 10 * 1024 * 1024
with open(path, "rb") as f:
    text = f.read()
lines = text.splitlines(keepends=True)
if kind == "noise":
    noise = bytearray(random.Random(20261209).randbytes(TEN_MB))
    out = bytes(b or 1 for b in noise)
elif kind == "joined":
    out = b" ".join(line.rstrip(b"\r\n") for line in lines) + b" " + b"x" * TEN_MB
elif kind == "nul-after":
    key = args[0].encode() + b"="
    at = next(i for i, line in enumerate(lines) if line.startswith(key)) + 1
    out = b"".join(lines[:at]) + b"\0" + b"".join(lines[at:])
elif kind == "long-entry":
    out = text + args[0].encode() + b"=" + b"x" * int(args[1]) + b"\n"
elif kind == "long-value":
    key = args[0].encode() + b"="
    out = b"".join(key + b"x" * int(args[1]) + b"\n" if line.startswith(key) else line for line in lines)
elif kind == "sections-around":
    def others(first):
        return b"".join(b"[Other%d]\nDriverName=Other%d\nLibraryName=none\n" % (i, i) for i in range(first, first + 20000))
    out = others(0) + text + others(20000)
elif kind == "huge-before":
    entries, size = [b"[Other]\n"], 0
    while size < TEN_MB:
        entries.append(b"Key%d = some value that is never read\n" % len(entries))
        size += len(entries[-1])
    out = b"".join(entries) + text
else:
    sys.exit("unknown kind " + kind)
with open(path, "wb") as f:
    f.write(out)
EOF
}

# peak_kib: the program's peak resident memory so far, in KiB.
peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$PROGRAM_PID/status" 2>/dev/null; }

# watch_peak_until_exit SECONDS: waits for the end of the program, sets PEAK_KIB
# to the last peak seen while it ran (the peak only grows).
watch_peak_until_exit() {
  local _ seen
  PEAK_KIB=
  for _ in $(seq $(($1 * 20))); do
    seen=$(peak_kib) || seen=
    [ -n "$seen" ] && PEAK_KIB=$seen
    running || break
    sleep 0.05
  done
  [ -n "$PEAK_KIB" ] || fail "the program's memory could not be read"
}

# The peak of a run whose files are of normal size, for comparison.
configure "$db"
faults_ini_drop "$FAULTS_CONNECTIONS" DriverName
faults_start_program
faults_expect_report 30 "Missing DriverName property."
BASE_KIB=$(peak_kib)
faults_end_after_refused_opening "a small file without DriverName"

# expect_bounded_peak PEAK_KIB WHY LIMIT_MIB: the peak grew by less than LIMIT_MIB over
# that of a run with small files.
expect_bounded_peak() {
  local grown=$((($1 - BASE_KIB) / 1024))
  [ "$grown" -lt "$3" ] || fail "$2: the peak grew by $grown MiB over that of small files (limit $3 MiB)"
  note "ok: $2 (peak +$grown MiB)"
}

# A failed run: the exact report, bounded memory, the end the failed opening
# has, and the database as it was.
expect_refused() {  # expect_refused WHY REPORT LIMIT_MIB
  faults_start_program
  faults_expect_report 30 "$2"
  expect_bounded_peak "$(peak_kib)" "$1" "$3"
  faults_end_after_refused_opening "$1"
  write_marks "$db" "$E2E_DIR/marks.after"
  diff "$E2E_DIR/marks.before" "$E2E_DIR/marks.after" >&2 || fail "$1: the database changed"
}

# A run that goes through: it ends by itself with 0 and no message box.
expect_run() {  # expect_run WHY LIMIT_MIB
  faults_start_program
  watch_peak_until_exit 120
  faults_expect_clean_run 1 "$1"
  expect_bounded_peak "$PEAK_KIB" "$1" "$2"
}

# Lines are short in these: reading must not hold the file.
configure "$db"; bad_file noise "$FAULTS_CONNECTIONS"
expect_refused "binary connection file" "Missing DriverName property." 8

configure "$db"; bad_file nul-after "$FAULTS_CONNECTIONS" DriverName
expect_refused "connection file with a NUL after DriverName" "Missing Database property." 8

configure "$db"; bad_file noise "$FAULTS_DRIVERS"
expect_refused "binary driver file" "SQLConnection1: DLL/Shared Library Name not Set." 8

configure "$db"; bad_file noise "$FAULTS_SETTINGS"
# No setting is read, so the connection file is looked for beside the program.
faults_start_program
faults_expect_report_matching 30 "^Driver/Connection Registry File '.*/dbvconnections\\.ini' not found\\.$"
expect_bounded_peak "$(peak_kib)" "binary settings file" 8
faults_end_after_refused_opening "binary settings file"

# One 10 MB line: held while it is read, a few copies of it at most.
configure "$db"; bad_file joined "$FAULTS_CONNECTIONS"
expect_refused "connection file without line ends" "Missing DriverName property." 40

# A value no server takes: the client refuses a user name longer than a
# connection request can carry, before anything reaches the server.
configure "$db"; bad_file long-value "$FAULTS_CONNECTIONS" User_Name "$MIB"
faults_start_program
faults_expect_report_matching 30 "^Dbvance Error: \[0x[0-9A-F]{4}\]: .*Clumplet buffer size limit reached\.$"
expect_bounded_peak "$(peak_kib)" "a user name of 1 MiB ($REPORT_TEXT)" 32
faults_end_after_refused_opening "a user name of 1 MiB"

# The same bad entries where they do no harm: the runs go through. The first
# one upgrades the database, the others find nothing to do.
configure "$db"; bad_file huge-before "$FAULTS_CONNECTIONS"
expect_run "10 MB of another section before the connection's own" 8
faults_expect_steps_done "$db" 46 "after the run past 10 MB of another section"

configure "$db"; bad_file long-entry "$FAULTS_CONNECTIONS" Remark "$TEN_MB"
# Kept among the connection's parameters, so held for the whole run.
expect_run "an unknown entry of 10 MB in the connection's section" 48

configure "$db"; bad_file sections-around "$FAULTS_CONNECTIONS"
expect_run "40 000 sections around the connection's own" 8

configure "$db"; bad_file sections-around "$FAULTS_DRIVERS"
expect_run "40 000 sections around the driver's own" 8

configure "$db"; bad_file sections-around "$FAULTS_SETTINGS"
expect_run "40 000 sections around the settings' own" 8

faults_expect_steps_done "$db" 46 "at the end"
pass "bad registry and settings files"
