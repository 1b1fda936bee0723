#!/usr/bin/env bash
# Failures answered Ignore, and a run that goes on after each: a target held
# in use (five silent retries, one log line, the question), a folder standing
# where a file goes (with AllDataEqual a replacement is tried and fails), a
# hidden ini target the Ini pass does not see (its copy fails: report and OK
# box), a read-only ini target whose entries the platform refuses silently.
# The run completes with exit status 1.
source "$(dirname "$0")/lib.sh"

e2e_fresh
S='C:\ServicePacks\Standard'
I='C:\ServicePacks\Ini'
pack_layout <<'EOF_LAYOUT'
Standard/Data/folder.txt = meant for a folder's place
Standard/Data/locked.txt = new locked
Standard/Data/zz.txt = after the failures
EOF_LAYOUT
while IFS= read -r -d '' f; do set_mtime "$f" "2020-01-01 12:00:00"; done \
  < <(find "$SP/Standard" -type f -print0)
crlf "[S]" "K=hidden" | put "$SP/Ini/Hidden.ini"
crlf "[S]" "K=new" | put "$SP/Ini/ReadOnly.ini"

mkdir -p "$DRIVE_C/Data/folder.txt"
put "$DRIVE_C/Data/locked.txt" "old locked"
set_mtime "$DRIVE_C/Data/locked.txt" "2019-01-01 12:00:00"
crlf "[S]" "K=PC" | put "$DRIVE_C/Hidden.ini"
set_attr "$DRIVE_C/Hidden.ini" 2
crlf "[S]" "K=old" | put "$DRIVE_C/ReadOnly.ini"
set_attr "$DRIVE_C/ReadOnly.ini" 1
crlf "[General]" "AllDataEqual=True" >"$DRIVE_C/ServicePack.ini"

drv_install_program
e2e_report_on
drv_lock_file "$DRIVE_C/Data/locked.txt"
E2E_ANSWERS="i i ok"
drv_run 2
drv_unlock_all
assert_status 1

assert_log_is <<EOF_LOG
$T1
$T14 Number:<*>; Description:<*> '$S\Data\folder.txt' -> 'C:\Data\folder.txt'; Source:<*>
$T17 $S\Data\folder.txt <T>  -> C:\Data\folder.txt <T>
$T14 Number:75; Description:<*> '$S\Data\folder.txt' -> 'C:\Data\folder.txt'; Source:<*>
$T17 $S\Data\locked.txt <T>  -> C:\Data\locked.txt <T>
$T14 Number:70; Description:<*> '$S\Data\locked.txt' -> 'C:\Data\locked.txt'; Source:<*>
$T17 $S\Data\zz.txt <T> -> C:\Data\zz.txt
$T2
$T3
$T17 $I\Hidden.ini C:\Hidden.ini
$T14 Number:70; Description:<*> 'C:\ServicePacks\Hidden.ini'; Source:<*>
$T19 ${T20}S ${T21}K ${T22}new -> C:\ReadOnly.ini
EOF_LOG

assert_dir "$DRIVE_C/Data/folder.txt"
assert_file_eq "$DRIVE_C/Data/locked.txt" "old locked"
assert_file_eq "$DRIVE_C/Data/zz.txt" "after the failures"
assert_ini "$DRIVE_C/Hidden.ini" S K PC
assert_ini "$DRIVE_C/ReadOnly.ini" S K old
# The attributes are made normal all the same.
for f in "$DRIVE_C/Data/locked.txt" "$DRIVE_C/Hidden.ini" \
  "$DRIVE_C/ReadOnly.ini"; do
  assert_attr "$f" 0
done
# Nothing was aborted.
assert_ini_absent "$DRIVE_C/ServicePack.ini" General CancelSP

# The report names who held the file, and calls the refused ini write failed.
assert_report '.entries[] | select(.target == "C:\\Data\\locked.txt")
  | [.outcome, .error.number, (.held_by[] | .name)] | join(" ")' \
  "ignored 70 $E2E_LOCK_HOLDER"
assert_report '[.entries[] | select(.target == "C:\\ReadOnly.ini")
  | .outcome, .written] | unique | join(" ")' "false failed"

e2e_finish
