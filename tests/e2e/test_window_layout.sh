#!/usr/bin/env bash
# The real window on a 1024 x 768 screen: centred, 463 x 293, a black log
# inside Panel3's bevel between the two face-coloured strips of 10 and 41
# pixels, each strip a raised 1-pixel bevel. Read back from a screenshot.
source "$CORVANTIS_SOURCE_DIR/tests/e2e/lib.sh"

start_xvfb
start_alone
main=$(titled FormVelmar 10) || { log_of_program; fail "no window FormVelmar within 10 s"; }
sleep 0.3  # the first paint
screenshot "$E2E_DIR/corvantis-window.png"
geometry "$main"
[ "$WW x $WH" = "463 x 293" ] || fail "client area $WW x $WH"
[ "$WX,$WY" = "280,237" ] || fail "placed at $WX,$WY, not centred"

shot=$E2E_DIR/corvantis-window.png
# expect NAME DX DY COLOUR: the pixel at (DX, DY) of the window.
expect() {
  local seen
  seen=$(pixel "$shot" $((WX + $2)) $((WY + $3)))
  [ "$seen" = "$4" ] || fail "$1 at $2,$3 is #$seen, not #$4"
}
light=FFFFFF
dark=9F9F9F
face=$(pixel "$shot" $((WX + 230)) $((WY + 5)))
case $face in 000000 | "$light" | "$dark" | "") fail "Panel1's face is #$face" ;; esac
expect "Panel1 bevel, top" 230 0 "$light"
expect "Panel1 bevel, bottom" 230 9 "$dark"
expect "Panel3 bevel, top" 230 10 "$light"
expect "Panel3 bevel, bottom" 230 251 "$dark"
expect "Panel2 bevel, top" 230 252 "$light"
expect "Panel2 face" 230 270 "$face"
expect "Panel2 bevel, bottom" 230 292 "$dark"
# Memo1 fills Panel3 inside its bevel: x 1..461, y 11..250, its own 2-pixel
# sunken edge first. Points off the centre, where a report may come up.
expect "log, top left" 20 20 000000
expect "log, bottom" 20 240 000000
expect "log, right" 450 30 000000
left_edge=$(pixel "$shot" $((WX + 1)) $((WY + 40)))
[ "$left_edge" != 000000 ] && [ "$left_edge" != "$face" ] || fail "the log has no sunken edge (#$left_edge)"

# Whatever the first tick brought meanwhile, the window still closes to 0.
close_window "$main"
if ! wait_exit 5; then
  report=$(titled Corvantis 5) || fail "the program did not end after its window was closed"
  close_window "$report"
  sleep 0.5
  close_window "$main"
  wait_exit 10 || fail "the program did not end"
fi
[ "$PROGRAM_STATUS" = 0 ] || fail "exit status $PROGRAM_STATUS"
pass "layout as designed: 463 x 293 at 280,237, strips 10 and 41, black log; exit 0"
