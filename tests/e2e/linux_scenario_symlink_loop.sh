#!/usr/bin/env bash
# Linux only (a Windows service pack on a CD or share holds no symbolic
# links): a Standard tree whose folder links back to itself. The listing
# must end (it cannot nest without end), the failure is reported, and the
# Register and Ini passes still run.
source "$(dirname "$0")/lib.sh"

e2e_fresh
pack_layout <<'EOF_LAYOUT'
Standard/a.txt = beside the loop
Standard/Sub/b.txt = inside
Register/r.dll = after the loop
Ini/After.ini = [S]
EOF_LAYOUT
ln -s .. "$SP/Standard/Sub/loop"

drv_install_program
drv_run 2
# The listing fails (the entries grow past what the list holds, or the path
# past what Windows allows): reported with the tree as the place, and the
# run completes with status 1.
assert_status 1
assert_log_like "$T14 Number:<*>; Description:<*> 'C:\ServicePacks\Standard'; Source:<*>"
assert_log_has "$T2"
assert_log_has "$T3"
assert_file_eq "$DRIVE_C/r.dll" "after the loop"
assert_exists "$DRIVE_C/After.ini"
# Whatever the Standard pass made of the loop, it made no endless folder
# chain on the PC.
depth=$(find "$DRIVE_C" -mindepth 1 -path "$DRIVE_C/ServicePacks" -prune -o \
  -type d -print | awk -F/ '{ print NF }' | sort -n | tail -n 1)
base=$(awk -F/ '{ print NF }' <<<"$DRIVE_C")
((${depth:-0} - base <= 40)) || fail "folders nested $((depth - base)) deep on the PC"

e2e_finish
