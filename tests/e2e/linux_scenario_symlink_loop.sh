#!/usr/bin/env bash
# Linux only (a Windows service pack on a CD or share holds no symbolic
# links): a Standard tree whose folders link back up the tree. A link is
# reported like a Windows junction and is not entered, so the listing ends at
# once, everything else of the tree is installed and the run completes.
source "$(dirname "$0")/lib.sh"

e2e_fresh
pack_layout <<'EOF_LAYOUT'
Standard/a.txt = beside the loop
Standard/Sub/b.txt = inside
Register/r.dll = after the loop
Ini/After.ini = [S]
EOF_LAYOUT
ln -s .. "$SP/Standard/Sub/loop"
ln -s ../.. "$SP/Standard/Sub/loop2"

drv_install_program
drv_run 2
assert_status 0
assert_file_eq "$DRIVE_C/a.txt" "beside the loop"
assert_file_eq "$DRIVE_C/Sub/b.txt" "inside"
assert_log_has "$T2"
assert_log_has "$T3"
assert_file_eq "$DRIVE_C/r.dll" "after the loop"
assert_exists "$DRIVE_C/After.ini"
# The links stand in the list as folders: made on the PC, empty.
[ -d "$DRIVE_C/Sub/loop" ] || fail "the linked folder was not made"
[ -z "$(ls -A "$DRIVE_C/Sub/loop")" ] || fail "the link was followed"
if log_lines | grep -q "Number:"; then fail "an error was reported"; fi

e2e_finish
