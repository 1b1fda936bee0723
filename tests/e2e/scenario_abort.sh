#!/usr/bin/env bash
# Abort/Retry/Ignore answered in turn: Retry asks again at once, Ignore goes
# on, Abort stores CancelSP=True in C:\ServicePack.ini, logs text 29 as the
# last line and ends the program with status 3 before anything else is done.
# The next start ends at once with status 4, silently; once the latch is set
# back, the program installs again. Every end writes the run report: the
# entry answered Retry then Ignore, the aborted one, the refused start.
source "$(dirname "$0")/lib.sh"

e2e_fresh
S='C:\ServicePacks\Standard'
pack_layout <<'EOF_LAYOUT'
Standard/Data/a.txt = a
Standard/Data/b.txt = b
Standard/Data/c.txt = c
EOF_LAYOUT
put "$DRIVE_C/Data/a.txt" "old a"
put "$DRIVE_C/Data/b.txt" "old b"
set_mtime "$DRIVE_C/Data/a.txt" "2000-01-01 12:00:00"
set_mtime "$DRIVE_C/Data/b.txt" "2000-01-01 12:00:00"

drv_install_program
drv_lock_file "$DRIVE_C/Data/a.txt"
drv_lock_file "$DRIVE_C/Data/b.txt"
E2E_ANSWERS="r i a"
e2e_report_on
drv_run 2
drv_unlock_all
assert_status 3

assert_log_is <<EOF_LOG
$T1
$T17 $S\Data\a.txt <T>  -> C:\Data\a.txt <T>
$T14 Number:70; Description:<*> '$S\Data\a.txt' -> 'C:\Data\a.txt'; Source:<*>
$T14 Number:70; Description:<*> '$S\Data\a.txt' -> 'C:\Data\a.txt'; Source:<*>
$T17 $S\Data\b.txt <T>  -> C:\Data\b.txt <T>
$T14 Number:70; Description:<*> '$S\Data\b.txt' -> 'C:\Data\b.txt'; Source:<*>
$T29
EOF_LOG
assert_report_matches_log
assert_report '.entries[] | [.target, .action, .outcome, .error.number,
  .retries // 0] | join(" ")' 'C:\Data\a.txt replaced ignored 70 1
C:\Data\b.txt replaced aborted 70 0'
assert_report '.counts.Standard | [.entries, .ignored, .aborted] | join(" ")' \
  "2 1 1"
assert_ini "$DRIVE_C/ServicePack.ini" General CancelSP True
assert_file_eq "$DRIVE_C/Data/a.txt" "old a"
assert_file_eq "$DRIVE_C/Data/b.txt" "old b"
assert_no_file "$DRIVE_C/Data/c.txt"
if [[ "$(drv_platform)" == linux ]]; then
  # The console window prints each question once (Wine shows real boxes).
  assert_out_count "[a] Abort" 3
fi

# The latch stops every later start at once, without output or log line.
cp "$DRIVE_C/QueltServicePack.log" "$E2E_TMP/log-after-abort"
E2E_ANSWERS=""
drv_run 2
assert_status 4
assert_report '[.exit_status, (.entries | length), .log] | join(" ")' "4 0 "
assert_same_file "$DRIVE_C/QueltServicePack.log" "$E2E_TMP/log-after-abort"
[[ -s "$E2E_TMP/out.txt" ]] && fail "a start with the latch set printed something"
drv_run
assert_status 4

# Set back outside the program, the latch lets the installation run again.
crlf "[General]" "CancelSP=False" >"$DRIVE_C/ServicePack.ini"
drv_run 2
assert_status 0
assert_file_eq "$DRIVE_C/Data/a.txt" "a"
assert_file_eq "$DRIVE_C/Data/c.txt" "c"
assert_ini "$DRIVE_C/ServicePack.ini" General CancelSP False
if [[ "$(drv_platform)" == linux ]]; then
  # The exit button of the interactive mode (the console picks it by "1").
  E2E_ANSWERS="1"
  drv_run
  assert_status 2
  assert_report '[.exit_status, (.entries | length)] | join(" ")' "2 0"
fi

e2e_finish
