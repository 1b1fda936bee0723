#!/usr/bin/env bash
# The window of Rolvex.exe under Wine, worked with the keyboard and the
# mouse (Wine only: the Linux program has no native window to click):
# - interactive mode: the full-screen window at 0, 0; the exit button holds
#   the focus, Space on it ends the program with status 2 and logs nothing;
#   Tab moves the focus to the start button, Space there runs the
#   installation, and the program ends by itself;
# - a mouse click on the exit button ends the program as well;
# - panel mode "1": the panel stands at the scaled position 11460, 1350 twips
#   (764, 90 pixels on a 1024-pixel screen) with 3600 x 3510 twips
#   (240 x 234 pixels) while a question holds the run;
# - the version is handed over only when the program runs from the service
#   pack folder ($ServicePackDir$), whatever the letter case of the path.
source "$(dirname "$0")/lib.sh"

screen_width=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
if [[ "$screen_width" != 1024 ]]; then
  echo "  [$E2E_SCENARIO] needs a 1024 x 768 screen, have ${screen_width:-none}" >&2
  exit 1
fi

# geometry WINDOW: "X,Y WIDTHxHEIGHT".
geometry() {
  xdotool getwindowgeometry "$1" 2>/dev/null |
    awk '/Position/ { p = $2 } /Geometry/ { g = $2 } END { print p " " g }'
}

e2e_fresh
S='C:\ServicePacks\Standard'
pack_layout <<'EOF_LAYOUT'
Standard/Data/a.txt = a
EOF_LAYOUT
drv_install_program

# --- Space on the exit button, which has the focus.
e2e_wine_start
main=$(e2e_wine_main_window) || fail "interactive: no main window"
if [[ -n "$main" ]]; then
  [[ "$(geometry "$main")" == "0,0 1024x768" ]] ||
    fail "interactive: window at $(geometry "$main"), expected 0,0 1024x768"
  xdotool windowfocus "$main"
  sleep 0.3
  xdotool key space
fi
e2e_wine_finish
assert_status 2 "Space on the exit button"
assert_no_file "$DRIVE_C/QueltServicePack.log"
assert_no_file "$DRIVE_C/Data/a.txt"

# --- Tab to the start button, Space: the whole run, then the end.
e2e_wine_start
main=$(e2e_wine_main_window) || fail "start: no main window"
if [[ -n "$main" ]]; then
  xdotool windowfocus "$main"
  sleep 0.3
  xdotool key Tab
  sleep 0.2
  xdotool key space
fi
e2e_wine_finish
assert_status 0 "Space on the start button"
assert_log_is <<EOF_LOG
$T1
$T16 C:\Data
$T17 $S\Data\a.txt <T> -> C:\Data\a.txt
$T2
$T3
EOF_LOG
assert_ini "$DRIVE_C/Computer.ini" ServicePack Version 9.1
assert_out_has "$T3"

# --- A mouse click on the exit button (11460, 5850 twips: 764, 390 pixels,
# 240 x 41).
rm -f "$DRIVE_C/QueltServicePack.log"
e2e_wine_start
main=$(e2e_wine_main_window) || fail "exit click: no main window"
if [[ -n "$main" ]]; then
  xdotool mousemove 884 410 click 1
fi
e2e_wine_finish
assert_status 2 "click on the exit button"
assert_no_file "$DRIVE_C/QueltServicePack.log"

# --- Panel mode: a locked target holds the run in a question.
put "$SP/Standard/Data/b.txt" "b"
put "$DRIVE_C/Data/b.txt" "old b"
set_mtime "$DRIVE_C/Data/b.txt" "2000-01-01 12:00:00"
drv_lock_file "$DRIVE_C/Data/b.txt"
e2e_wine_start 1
main=$(e2e_wine_main_window) || fail "panel: no main window"
for ((i = 0; i < 100; i++)); do
  [[ -n "$(e2e_wine_boxes)" ]] && break
  sleep 0.2
done
[[ -n "$(e2e_wine_boxes)" ]] || fail "panel: no question"
if [[ -n "$main" ]]; then
  [[ "$(geometry "$main")" == "764,90 240x234" ]] ||
    fail "panel: window at $(geometry "$main"), expected 764,90 240x234"
fi
e2e_wine_finish i
drv_unlock_all
assert_status 1 "panel run with an ignored failure"
assert_log_like "$T14 Number:70; Description:<*> '$S\Data\b.txt' -> 'C:\Data\b.txt'; Source:<*>"
assert_file_eq "$DRIVE_C/Data/b.txt" "old b"

# --- The version hand-over depends on the folder the program runs from.
rm -f "$DRIVE_C/Computer.ini"
drv_install_program 'C:\Other'
drv_run 2
assert_status 0
assert_no_file "$DRIVE_C/Computer.ini"
# Started through a path in other letters, the program is still in the
# service pack's folder.
drv_install_program
E2E_PROGRAM_WIN='C:\SERVICEPACKS\ROLVEX.EXE'
sed -i 's/^Version=9.1/Version=9.2/' "$SP/Rolvex.ini"
drv_run 2
assert_status 0
assert_ini "$DRIVE_C/Computer.ini" ServicePack Version 9.2

e2e_finish
