# Shared steps of the Wine tiers that let Corvantis.exe do its real job:
# Corvantis.exe, dbvfb.dll and Firebird's client fbclient.dll (built by
# scripts/build-fbclient-windows.sh) in one folder, under Wine, against the
# test server on 127.0.0.1. Each Windows run is held against the Linux
# program's run on an identical database, through the fault tests' helpers
# (databases of the test's own, snapshots, the message box observer); the
# Linux program shows its windows on the Wine prefix's display.
#
# Needs, besides what tests/wine/wine_lib.sh needs: CORVANTIS_FBCLIENT_DLL
# (the built client), CORVANTIS_BIN_DIR (the Linux build's programs) and the
# test server (scripts/run-windows-tests.sh sets up all three).

# shellcheck source=../e2e/faults_lib.sh
source "$CORVANTIS_SOURCE_DIR/tests/e2e/faults_lib.sh"
# shellcheck source=wine_lib.sh
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"
trap 'wine_cleanup; faults_cleanup; e2e_cleanup' EXIT
require_server
[ -f "${CORVANTIS_FBCLIENT_DLL:-}" ] ||
  fail "CORVANTIS_FBCLIENT_DLL names no file: run through scripts/run-windows-tests.sh, which builds the client"

# The server sees the Windows program's process by its Windows name; the Wine
# process id is not the one the shell knows.
faults_program_attachment() { echo "A.MON\$REMOTE_PROCESS CONTAINING 'Corvantis.exe'"; }

# wine_job_folder: Corvantis.exe, dbvfb.dll and fbclient.dll in a fresh folder,
# with no per-user settings, so the INI files beside the program are used.
wine_job_folder() {
  settings_clear
  app_folder dbvfb.dll
  cp "$CORVANTIS_FBCLIENT_DLL" "$WINE_APP/fbclient.dll"
}

# wine_job_configure DATABASE [VENDORLIB]: the Linux program's INI files for a
# run on DATABASE (configure), and beside Corvantis.exe the same connection
# file with the Windows driver file (VendorLib: fbclient.dll by default).
wine_job_configure() {
  configure "$1"
  wine_job_connections
  write_ini "$WINE_APP/dbvdrivers.ini" \
    "$(ini_section Firebird <"$INI_TEMPLATES/dbvdrivers.ini" | ini_fill LibraryName=dbvfb.dll "VendorLib=${2:-fbclient.dll}")"
}

# wine_job_connections: the Linux program's connection file, as changed by the
# test, copied beside Corvantis.exe with CR LF line ends.
wine_job_connections() { write_ini "$WINE_APP/dbvconnections.ini" "$(cat "$FAULTS_CONNECTIONS")"; }

# wine_job_linux_report WHY: the Linux program's run on its configuration
# ends with an error report; REPORT_TEXT holds its text (escaped as boxreader
# writes it). WHY tells what happens after the report: "ends" (the program
# ends by itself) or "stays" (the main window stays until closed).
wine_job_linux_report() {
  faults_start_program
  faults_wait_report 60
  [ "$REPORT_ICON" = 3 ] && [ "$REPORT_CAPTION" = Corvantis ] ||
    fail "the Linux program's report shows icon $REPORT_ICON, caption '$REPORT_CAPTION'"
  case $1 in
    ends) faults_end_after_report "the Linux run" ;;
    stays) faults_end_after_refused_opening "the Linux run" ;;
  esac
}

# wine_job_clean_run WHY [minimised|maximised]: Corvantis.exe runs to its end
# by itself with 0 and shows no message box on the way (a box would hold it).
wine_job_clean_run() {
  start_windows_program "${2:-}"
  if ! wait_exit 120; then
    local box
    box=$(boxreader wait 1) || box="no message box"
    fail "$1: Corvantis.exe was still running after 120 s ($box); its output: $(cat "$WINE_DIR/program.log")"
  fi
  [ "$PROGRAM_STATUS" = 0 ] || fail "$1: exit status $PROGRAM_STATUS; its output: $(cat "$WINE_DIR/program.log")"
}

# wine_job_expect_general DATABASE WHY: every row of every bill table holds
# the Big5 bytes of 一般, A4 40 AF EB.
wine_job_expect_general() {
  local state
  state=$(faults_fill_state "$1")
  [ "$(wc -l <<<"$state")" = ${#FAULTS_BILL_TABLES[@]} ] || fail "$2: not every bill table has BILL_KIND: $state"
  awk '$2 == 0 || $4 != $2 { exit 1 }' <<<"$state" || fail "$2: not every BILL_KIND is A4 40 AF EB: $state"
}
