#!/usr/bin/env bash
# Replacement at the next restart as Windows records it (Wine only: the
# Linux program keeps its own list): two locked targets below System32 are
# requested with MoveFileExA(..., 5), which appends each pair, source and
# "!" + target in the "\??\" form, to PendingFileRenameOperations in the
# order of the requests; Wine's restart (wineboot -r) carries them out and
# empties the list. Each source is a copy staged in the target's own folder,
# never the pack's file. A name with a blank goes through unchanged.
source "$(dirname "$0")/lib.sh"

pending() {
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *PendingFileRenameOperations *REG_MULTI_SZ *//p'
}

e2e_fresh
pack_layout <<'EOF_LAYOUT'
Standard/$WinDir$/System32/a b.dll = new a
Standard/$WinDir$/System32/z.dll = new z
EOF_LAYOUT
W=$DRIVE_C/Windows/System32
for f in "a b.dll" z.dll; do
  put "$W/$f" "old $f"
  set_mtime "$W/$f" "2000-01-01 12:00:00"
  drv_lock_file "$W/$f"
done
[[ -z "$(pending)" ]] || fail "the fresh prefix has pending renames: $(pending)"

drv_install_program
drv_run 2
assert_status 3010
# \??\C:\Windows\System32\~rolvex-restart-<pid>-<created>-<n>.tmp
S='\\\?\?\\C:\\Windows\\System32\\~rolvex-restart-[0-9a-f]+-[0-9a-f]{16}-[0-9a-f]+\.tmp'
T='!\\\?\?\\C:\\Windows\\System32'
want="^$S\\\\0$T\\\\a b\.dll\\\\0$S\\\\0$T\\\\z\.dll$"
got=$(pending)
[[ "$got" =~ $want ]] || fail "pending renames: expected
$want
got
$got"
assert_file_eq "$W/a b.dll" "old a b.dll"

drv_restart || fail "wineboot -r failed"
assert_file_eq "$W/a b.dll" "new a"
assert_file_eq "$W/z.dll" "new z"
[[ -z "$(pending)" ]] || fail "renames still pending after the restart: $(pending)"

e2e_finish
