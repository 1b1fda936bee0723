#!/usr/bin/env bash
# Standard pass: new files, a replaced older file (two blanks before "->"),
# kept files (same date, newer target), folders created with text 16, the
# font rule, placeholder targets, and AllDataEqual on a second run.
source "$(dirname "$0")/lib.sh"

e2e_fresh
S='C:\ServicePacks\Standard'
pack_layout <<'EOF_LAYOUT'
Standard/a.ini = root file
Standard/Tools/a.exe = tool
Standard/D/a.txt = D is no drive
Standard/$QueltToolsDir$/q.txt = below a placeholder with a drive
Standard/$WinDir$/old.txt = new text of old
Standard/$WinDir$/same.txt = same date
Standard/$WinDir$/newer.txt = older than the PC's
Standard/$WinDir$/Fonts/X.TTF = font from the pack
Standard/$WinDir$/Fonts/hidden.ttf = hidden font from the pack
EOF_LAYOUT
while IFS= read -r -d '' f; do set_mtime "$f" "2020-01-01 12:00:00"; done \
  < <(find "$SP/Standard" -type f -print0)

W=$DRIVE_C/Windows
put "$W/old.txt" "old"
set_mtime "$W/old.txt" "2019-01-01 12:00:00"
set_attr "$W/old.txt" 3 # read-only and hidden: cleared before the copy
put "$W/same.txt" "PC copy, same date"
set_mtime "$W/same.txt" "2020-01-01 12:00:00"
put "$W/newer.txt" "PC copy, newer"
set_mtime "$W/newer.txt" "2021-01-01 12:00:00"
put "$W/Fonts/X.TTF" "PC font, newer"
set_mtime "$W/Fonts/X.TTF" "2021-01-01 12:00:00"
put "$W/Fonts/hidden.ttf" "hidden PC font"
set_mtime "$W/Fonts/hidden.ttf" "2020-01-01 12:00:00"
set_attr "$W/Fonts/hidden.ttf" 2
set_attr "$W/Fonts" 2 # an existing hidden folder is not made again

drv_install_program
drv_run 2
assert_status 0

assert_log_is <<EOF_LOG
$T1
$T16 C:\QueltTools
$T17 $S\a.ini <T> -> C:\a.ini
$T16 C:\D
$T16 C:\Tools
$T17 $S\\\$QueltToolsDir\$\q.txt <T> -> C:\QueltTools\q.txt
$T28 $S\\\$WinDir\$\newer.txt <T>  -> C:\Windows\newer.txt <T>
$T17 $S\\\$WinDir\$\old.txt <T>  -> C:\Windows\old.txt <T>
$T28 $S\\\$WinDir\$\same.txt <T>  -> C:\Windows\same.txt <T>
$T17 $S\D\a.txt <T> -> C:\D\a.txt
$T17 $S\Tools\a.exe <T> -> C:\Tools\a.exe
$T28 $S\\\$WinDir\$\Fonts\hidden.ttf <T>  -> C:\Windows\Fonts\hidden.ttf <T>
$T17 $S\\\$WinDir\$\Fonts\X.TTF <T> -> C:\Windows\Fonts\X.TTF
$T2
$T3
EOF_LOG

assert_file_eq "$DRIVE_C/a.ini" "root file"
assert_file_eq "$DRIVE_C/Tools/a.exe" "tool"
assert_file_eq "$DRIVE_C/D/a.txt" "D is no drive"
assert_file_eq "$DRIVE_C/QueltTools/q.txt" "below a placeholder with a drive"
assert_file_eq "$W/old.txt" "new text of old"
assert_file_eq "$W/same.txt" "PC copy, same date"
assert_file_eq "$W/newer.txt" "PC copy, newer"
# The font is replaced whatever the dates; the hidden one is not seen by the
# font rule and goes through the date check.
assert_file_eq "$W/Fonts/X.TTF" "font from the pack"
assert_file_eq "$W/Fonts/hidden.ttf" "hidden PC font"
# Everything the pass touched is left normal.
for f in "$DRIVE_C/a.ini" "$DRIVE_C/Tools" "$DRIVE_C/Tools/a.exe" \
  "$W/old.txt" "$W/same.txt" "$W/newer.txt" "$W/Fonts" "$W/Fonts/hidden.ttf" \
  "$W/Fonts/X.TTF" "$DRIVE_C/QueltTools"; do
  assert_attr "$f" 0
done
assert_no_file "$DRIVE_C/C:"
assert_out_has "$T1"

# Second run with AllDataEqual: every existing target is replaced, also the
# newer one.
crlf "[General]" "AllDataEqual=True" >"$DRIVE_C/ServicePack.ini"
drv_run 2
assert_status 0
assert_log_like "$T17 $S\\\$WinDir\$\newer.txt <T>  -> C:\Windows\newer.txt <T>"
assert_log_like "$T17 $S\\\$WinDir\$\same.txt <T>  -> C:\Windows\same.txt <T>"
assert_file_eq "$W/newer.txt" "older than the PC's"
assert_file_eq "$W/same.txt" "same date"
assert_log_count "$T16 C:\Tools" 1

e2e_finish
