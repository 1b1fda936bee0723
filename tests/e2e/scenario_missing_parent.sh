#!/usr/bin/env bash
# A placeholder that stands for a deep path whose upper folders do not
# exist (QueltToolsDir set in the environment): the folder is logged with
# text 16 and its creation fails (report with ProgramDir as the place, OK
# box), the file below it fails to copy (question, Ignore) and so do the
# attribute calls (text 30, Ignore); the pass goes on with the other files
# and the run ends with status 1.
source "$(dirname "$0")/lib.sh"

e2e_fresh
S='C:\ServicePacks\Standard'
pack_layout <<'EOF_LAYOUT'
Standard/$QueltToolsDir$/t.txt = below a missing parent
Standard/b.txt = beside
EOF_LAYOUT
export QueltToolsDir='C:\Deep\Missing\Tools'

drv_install_program
E2E_ANSWERS="ok ok i i i ok"
drv_run 2
unset QueltToolsDir
assert_status 1

T='C:\Deep\Missing\Tools'
assert_log_is <<EOF_LOG
$T1
$T16 $T
$T14 Number:76; Description:<*> 'C:\ServicePacks'; Source:<*>
$T14 Number:53; Description:<*> 'C:\ServicePacks'; Source:<*>
$T17 $S\b.txt <T> -> C:\b.txt
$T17 $S\\\$QueltToolsDir\$\t.txt <T> -> $T\t.txt
$T14 Number:76; Description:<*> '$S\\\$QueltToolsDir\$\t.txt' -> '$T\t.txt'; Source:<*>
$T30 Number:53; Description:<*>'$T\t.txt'; Source:<*>
$T30 Number:53; Description:<*>'$T\t.txt'; Source:<*>
$T14 Number:53; Description:<*> 'C:\ServicePacks\t.txt'; Source:<*>
$T2
$T3
EOF_LOG
assert_no_file "$DRIVE_C/Deep"
assert_file_eq "$DRIVE_C/b.txt" "beside"
assert_ini_absent "$DRIVE_C/ServicePack.ini" General CancelSP
if [[ "$(drv_platform)" == linux ]]; then
  assert_out_count "[a] Abort" 3
  assert_out_count "--- Error ---" 3
fi

e2e_finish
