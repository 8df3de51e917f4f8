#!/usr/bin/env bash
# The Windows zip unpacked into a fresh folder holds exactly the program, its
# driver and the two INI files, at its top; its Corvantis.exe, started there
# as it comes (no registry settings, no Firebird client), loads dbvfb.dll by
# the name its INI file gives and shows the build's report for the missing
# client, the window stays, and closing it ends the program with 0.
#
# Runs inside scripts/run-package-tests.sh: a Wine prefix (WINEPREFIX,
# DISPLAY), CORVANTIS_PACKAGE_DIR, and CORVANTIS_WINDOWS_BIN_DIR for
# boxreader.exe.
source "$CORVANTIS_SOURCE_DIR/tests/wine/wine_lib.sh"

zip=$(echo "$CORVANTIS_PACKAGE_DIR"/corvantis-*-windows-x64.zip)
[ -f "$zip" ] || fail "no Windows zip in $CORVANTIS_PACKAGE_DIR"
mkdir -p "$WINE_APP"
(cd "$WINE_APP" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
(cd "$WINE_APP" && find . -printf '%P\n' | sed '/^$/d' | sort | paste -sd ' ') >"$WINE_DIR/files"
[ "$(cat "$WINE_DIR/files")" = "Corvantis.exe dbvconnections.ini dbvdrivers.ini dbvfb.dll" ] ||
  fail "the zip holds: $(cat "$WINE_DIR/files")"

settings_clear
start_windows_program
expect_box 30 stop Corvantis "Unable to Load fbclient.dll."
expect_window_stays_then_close "the unpacked zip"
pass "the unpacked zip: the program, its driver and INI files; the missing client's report, exit 0 on close"
