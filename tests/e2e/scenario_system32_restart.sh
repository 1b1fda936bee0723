#!/usr/bin/env bash
# A locked target below a "System32" folder (any letter case): no retry and
# no question, the log line with " System32 ", and a replacement at the next
# restart, which drv_restart carries out in the order requested. The same
# folder's unlocked file is copied at once. Exit status 3010, and the run
# report says that a restart is needed.
source "$(dirname "$0")/lib.sh"

e2e_fresh
S='C:\ServicePacks\Standard'
R='C:\ServicePacks\Register'
pack_layout <<'EOF_LAYOUT'
Standard/$WinDir$/System32/free.dll = free new
Standard/$WinDir$/System32/locked.dll = locked new
Register/$WinDir$/system32/locked.ocx = locked control new
EOF_LAYOUT
cp "$SP/Standard/\$WinDir\$/System32/locked.dll" "$E2E_TMP/locked.dll"
cp "$SP/Register/\$WinDir\$/system32/locked.ocx" "$E2E_TMP/locked.ocx"
W=$DRIVE_C/Windows/System32
put "$W/locked.dll" "locked old"
put "$W/locked.ocx" "locked control old"
set_mtime "$W/locked.dll" "2000-01-01 12:00:00"
set_mtime "$W/locked.ocx" "2000-01-01 12:00:00"

drv_install_program
drv_lock_file "$W/locked.dll"
drv_lock_file "$W/locked.ocx"
e2e_report_on
drv_run 2
assert_status 3010

assert_log_is <<EOF_LOG
$T1
$T17 $S\\\$WinDir\$\System32\free.dll <T> -> C:\Windows\System32\free.dll
$T17 $S\\\$WinDir\$\System32\locked.dll <T>  -> C:\Windows\System32\locked.dll <T>
$T17 System32 $S\\\$WinDir\$\System32\locked.dll -> C:\Windows\System32\locked.dll
$T2
$T18 C:\Windows\system32\locked.ocx
$T17 $R\\\$WinDir\$\system32\locked.ocx <T>  -> C:\Windows\system32\locked.ocx <T>
$T17 System32 $R\\\$WinDir\$\system32\locked.ocx -> C:\Windows\system32\locked.ocx
$T18 C:\Windows\system32\locked.ocx
$T3
EOF_LOG
assert_report_matches_log
assert_report '.restart_required' true
assert_report '.entries[] | [.action, .copy // "-", .outcome] | join(" ")' \
  "new - ok
scheduled-at-restart - ok
registered scheduled-at-restart ok"
assert_file_eq "$W/free.dll" "free new"
assert_file_eq "$W/locked.dll" "locked old"
assert_file_eq "$W/locked.ocx" "locked control old"
if [[ "$(drv_platform)" == linux ]]; then
  assert_out_count "[a] Abort" 0
fi

# The restart carries the replacements out: the service pack's files are
# moved onto the targets.
drv_restart || fail "restart reported a failure"
assert_same_file "$W/locked.dll" "$E2E_TMP/locked.dll"
assert_same_file "$W/locked.ocx" "$E2E_TMP/locked.ocx"
assert_no_file "$SP/Standard/\$WinDir\$/System32/locked.dll"
assert_no_file "$SP/Register/\$WinDir\$/system32/locked.ocx"
# Nothing is left for a further restart.
drv_restart || fail "second restart reported a failure"
assert_same_file "$W/locked.dll" "$E2E_TMP/locked.dll"

e2e_finish
