#!/usr/bin/env bash
# A start-up that fails before the message loop: Windows refuses one of the
# program's windows (corvantis_refusing.exe, the program with a hook that
# refuses one window class). Whichever it is, the application's own window
# included, the program shows the "Application Error" box with the reason
# and exits with status 1.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"

settings_clear
app_folder
cp "$CORVANTIS_WINDOWS_BIN_DIR/corvantis_refusing.exe" "$WINE_APP/Corvantis.exe"

# the refused window class | the reason shown
cases=(
  "TApplication|The application window could not be created"
  "TFormVelmar|The main window could not be created"
  "TPanel|A panel could not be created"
  "Edit|The log view could not be created"
)
for row in "${cases[@]}"; do
  IFS='|' read -r refused reason <<<"$row"
  export CORVANTIS_REFUSED_CLASS=$refused
  start_windows_program
  expect_box 30 stop "Application Error" "$reason"
  wait_exit 20 || fail "$refused refused: the program did not end after the box"
  [ "$PROGRAM_STATUS" = 1 ] || fail "$refused refused: exit status $PROGRAM_STATUS"
  note "$refused refused: the box, status 1"
done
pass "a window refused at start-up: the Application Error box with the reason, exit 1"
