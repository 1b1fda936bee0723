#!/usr/bin/env bash
# Screenshots of Rolvex.exe under Wine on a 1024 x 768 virtual screen, kept
# in $ROLVEX_ARTIFACTS/wine (default artifacts/wine of the source tree) to be
# looked at:
#   interactive.png           the waiting window: picture, texts, buttons
#   interactive-question.png  after Start, a failed copy asks Abort/Retry/Ignore
#   unattended-question.png   mode "2": no buttons, status label, progress bar
#   panel-question.png        mode "1": the small topmost panel, its question
#   panel.png                 the panel alone, cut out of the screen
# Each shot is also checked for what must be in it: the designed colours of
# the status label (229, 229, 229), the buttons (231, 231, 231), the
# progress fill (0, 0, 192) where they are shown, and the picture where it
# is not covered.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
export E2E_DRIVER=wine
source "$here/lib.sh"

shots=${ROLVEX_ARTIFACTS:-$E2E_REPO/artifacts}/wine
mkdir -p "$shots"

shoot() { import -window root "$shots/$1.png" 2>/dev/null || fail "no screenshot $1"; }

# colour SHOT X Y: the pixel as "R,G,B".
colour() {
  convert "$shots/$1.png" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p' | tail -n 1
}
expect_colour() {  # SHOT X Y R,G,B WHAT
  local got
  got=$(colour "$1" "$2" "$3")
  [[ "$got" == "$4" ]] || fail "$1: $5 at $2,$3 is [$got], expected [$4]"
}
expect_not_colour() {  # SHOT X Y R,G,B WHAT
  local got
  got=$(colour "$1" "$2" "$3")
  [[ -n "$got" && "$got" != "$4" ]] || fail "$1: $5 at $2,$3 is [$got]"
}

wait_for_box() {
  local i
  for ((i = 0; i < 150; i++)); do
    [[ -n "$(e2e_wine_boxes)" ]] && sleep 0.5 && return 0
    sleep 0.2
  done
  fail "no message box appeared"
  return 1
}

e2e_fresh
pack_layout <<'EOF_LAYOUT'
Standard/Data/a.txt = a
Standard/Data/locked.txt = new
Standard/Data/z.txt = z
EOF_LAYOUT
put "$DRIVE_C/Data/locked.txt" "old"
set_mtime "$DRIVE_C/Data/locked.txt" "2000-01-01 12:00:00"
drv_install_program

# --- The interactive window, waiting; then Start and the question.
e2e_wine_start
if main=$(e2e_wine_main_window); then
  sleep 1
  shoot interactive
  expect_colour interactive 884 200 229,229,229 "status label"
  expect_colour interactive 800 345 231,231,231 "start button"
  expect_not_colour interactive 10 700 229,229,229 "picture"
  drv_lock_file "$DRIVE_C/Data/locked.txt"
  xdotool mousemove 884 360 click 1
  wait_for_box && shoot interactive-question
  expect_colour interactive-question 990 100 231,231,231 "progress frame"
  expect_colour interactive-question 768 100 0,0,192 "progress fill"
else
  fail "no main window"
fi
e2e_wine_finish i
drv_unlock_all
assert_status 1

# --- Mode "2": the full-screen window without buttons.
drv_lock_file "$DRIVE_C/Data/locked.txt"
e2e_wine_start 2
wait_for_box && shoot unattended-question
expect_not_colour unattended-question 800 345 231,231,231 "hidden start button"
expect_colour unattended-question 768 100 0,0,192 "progress fill"
e2e_wine_finish i
drv_unlock_all
assert_status 1

# --- Mode "1": the panel at 764, 90, 240 x 234 pixels.
drv_lock_file "$DRIVE_C/Data/locked.txt"
e2e_wine_start 1
if wait_for_box; then
  shoot panel-question
  convert "$shots/panel-question.png" -crop 240x234+764+90 +repage \
    "$shots/panel.png" 2>/dev/null || fail "could not cut out the panel"
  expect_colour panel 5 10 0,0,192 "progress fill in the panel"
  expect_colour panel 120 230 229,229,229 "status label in the panel"
  # No picture around the panel.
  expect_not_colour panel-question 700 60 229,229,229 "screen beside the panel"
fi
e2e_wine_finish i
drv_unlock_all
assert_status 1

echo "screenshots in $shots"
e2e_finish
