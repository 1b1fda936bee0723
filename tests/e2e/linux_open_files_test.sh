#!/usr/bin/env bash
# A pack of 300 Standard folders of one file each, run under `ulimit -n 256`:
# the file layer keeps folders open, but never so many that a copy finds no
# descriptor left. Every file is installed and the run ends with status 0.
source "$(dirname "$0")/lib.sh"

e2e_fresh
for ((n = 0; n < 300; n++)); do
  put "$SP/Standard/Folder$n/file.txt" "file $n"
done
drv_install_program
# drv_run in a subshell of its own, so that the limit binds the program and
# not this script.
E2E_STATUS=$(ulimit -n 256 && drv_run 2 && echo "$E2E_STATUS")
assert_status 0 "$(tail -n 3 "$E2E_TMP/err.txt" "$DRIVE_C/QueltServicePack.log" 2>/dev/null)"
missing=0
for ((n = 0; n < 300; n++)); do
  [[ "$(cat "$DRIVE_C/Folder$n/file.txt" 2>/dev/null)" == "file $n" ]] ||
    missing=$((missing + 1))
done
((missing == 0)) || fail "$missing of 300 files not installed"

e2e_finish
