#!/usr/bin/env bash
# A locked target below a "System32" folder (any letter case): no retry and
# no question, the log line with " System32 ", and a replacement at the next
# restart, which drv_restart carries out in the order requested. The same
# folder's unlocked file is copied at once. Exit status 3010, and the run
# report says that a restart is needed.
#
# The replacement comes from a copy staged beside the target: a restart
# renames, and a rename can neither cross volumes nor be allowed to take the
# pack's own file away. So the restart installs the new file also from a
# pack on another file system (drive D:), and the pack stays whole.
source "$(dirname "$0")/lib.sh"

# No staged copy of the installer's is left beside the targets.
assert_nothing_staged() {
  local left
  left=$(find "$DRIVE_C/Windows/System32/" -maxdepth 1 -name '*~rolvex-*')
  [[ -z "$left" ]] || fail "staged copies left after the restart: $left"
}

e2e_fresh
S='C:\ServicePacks\Standard'
R='C:\ServicePacks\Register'
pack_layout <<'EOF_LAYOUT'
Standard/$WinDir$/System32/free.dll = free new
Standard/$WinDir$/System32/locked.dll = locked new
Register/$WinDir$/system32/locked.ocx = locked control new
EOF_LAYOUT
cp -a "$SP" "$E2E_TMP/pack-before"
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

drv_restart || fail "restart reported a failure"
assert_file_eq "$W/locked.dll" "locked new"
assert_file_eq "$W/locked.ocx" "locked control new"
assert_nothing_staged
diff -r "$E2E_TMP/pack-before/Standard" "$SP/Standard" >/dev/null &&
  diff -r "$E2E_TMP/pack-before/Register" "$SP/Register" >/dev/null ||
  fail "the restart took files out of the pack"
# Nothing is left for a further restart.
drv_restart || fail "second restart reported a failure"
assert_file_eq "$W/locked.dll" "locked new"

# --- The pack on drive D:, a file system of its own (a USB stick, a second
# partition): the replacement still happens at the restart.
e2e_fresh
other=$(mktemp -d /dev/shm/rolvex-d.XXXXXX 2>/dev/null) || other=$E2E_TMP/drive-d
[[ "$(stat -c %d "$other")" != "$(stat -c %d "$DRIVE_C")" ]] ||
  echo "  [$E2E_SCENARIO] note: $other is on the prefix's file system" >&2
e2e_add_drive d "$other"
mkdir -p "$other/Pack"
mv "$SP"/* "$other/Pack/"
SP=$other/Pack
put "$SP/Standard/\$WinDir\$/System32/usb.dll" "usb new"
W=$DRIVE_C/Windows/System32
put "$W/usb.dll" "usb old"
set_mtime "$W/usb.dll" "2000-01-01 12:00:00"
drv_install_program 'D:\Pack'
drv_lock_file "$W/usb.dll"
drv_run 2
assert_status 3010
assert_log_has "$T17 System32 D:\Pack\Standard\\\$WinDir\$\System32\usb.dll -> C:\Windows\System32\usb.dll"
drv_restart || fail "restart from D: reported a failure"
assert_file_eq "$W/usb.dll" "usb new"
assert_file_eq "$SP/Standard/\$WinDir\$/System32/usb.dll" "usb new"
assert_nothing_staged
[[ "$other" == /dev/shm/* ]] && rm -rf "$other"

e2e_finish
