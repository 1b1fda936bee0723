#!/usr/bin/env bash
# Faults at the system-call boundary, made by the fault shim preloaded into
# the real Linux program: a full disk during a copy and during ini writes,
# an I/O error while a tree is listed and while a merge source is read, and
# a source file that vanishes between the listing and its copy. In each case
# the failure is reported as the installer reports such a failure (number
# and description, the box where one is due), the run goes on and ends with
# status 1, every target holds its old or its new content, and no temporary
# is left.
source "$(dirname "$0")/lib.sh"

SHIM=${ROLVEX_FAULT_SHIM:-$E2E_REPO/build/linux/tests/e2e/librolvex_fault_shim.so}
# A program built with AddressSanitizer needs its runtime first among the
# preloaded libraries, ahead of the shim.
asan_runtime=$(ldd "$ROLVEX_BIN" 2>/dev/null | awk '/libasan/ {print $3}')
[ -z "$asan_runtime" ] || SHIM="$asan_runtime $SHIM"
S='C:\ServicePacks\Standard'
P='C:\ServicePacks'

# run_with_faults FAULTS: runs the installed program in mode 2 with the
# shim making FAULTS (see fault_shim.cc), and checks that each fired.
run_with_faults() {
  local fired=$E2E_TMP/fired.txt
  rm -f "$fired"
  LD_PRELOAD="$SHIM" ROLVEX_FAULTS=$1 ROLVEX_FAULT_LOG=$fired drv_run 2
  [[ -s "$fired" ]] || fail "the fault [$1] never fired"
  local left
  left=$(find "$PREFIX" -name '.~rolvex-*')
  [[ -z "$left" ]] || fail "temporaries left: $left"
}

# ------------------------------------------------- disk full during a copy
E2E_SCENARIO=enospc_copy
e2e_fresh
mkdir -p "$SP/Standard/Big" "$DRIVE_C/Big"
head -c $((1 << 20)) /dev/zero | tr '\0' n >"$SP/Standard/Big/big.bin"
put "$DRIVE_C/Big/big.bin" "old big"
put "$SP/Standard/Other/after.txt" "after the full disk"
find "$SP/Standard" -type f -exec touch -d "2021-01-01 12:00" {} +
touch -d "2020-01-01 12:00" "$DRIVE_C/Big/big.bin"
drv_install_program
E2E_ANSWERS="i"
run_with_faults "write,ENOSPC,65536,*/c:/Big*"
assert_status 1
assert_log_is <<EOF_LOG
$T1
$T16 C:\Other
$T17 $S\Big\big.bin <T>  -> C:\Big\big.bin <T>
$T14 Number:61; Description:<*> '$S\Big\big.bin' -> 'C:\Big\big.bin'; Source:<*>
$T17 $S\Other\after.txt <T> -> C:\Other\after.txt
$T2
$T3
EOF_LOG
assert_out_has "$T14 Number:61"
assert_file_eq "$DRIVE_C/Big/big.bin" "old big"
assert_file_eq "$DRIVE_C/Other/after.txt" "after the full disk"

# ---------------------------------------- disk full during the ini writes
# An existing file's entries are refused silently, as a refused profile
# write is (each entry is logged as written); the run's status still says
# that not everything was written. A missing file copied whole fails with a
# report and its box, and so does clearing the attributes of the file that
# is not there.
E2E_SCENARIO=enospc_ini
e2e_fresh
crlf "[S]" "k=new" "k2=new2" | put "$SP/Ini/Cfg/merged.ini"
crlf "[S]" "w=whole" | put "$SP/Ini/Cfg/whole.ini"
crlf "[S]" "k=new" | put "$SP/Ini/later.ini"
crlf "[S]" "k=old" | put "$DRIVE_C/Cfg/merged.ini"
cp "$DRIVE_C/Cfg/merged.ini" "$E2E_TMP/merged-before.ini"
crlf "[S]" "k=old" | put "$DRIVE_C/later.ini"
drv_install_program
E2E_ANSWERS="ok ok"
# The profile store writes through to the file's real path (drive_c/...).
run_with_faults "write,ENOSPC,0,*/Cfg*"
assert_status 1
assert_log_is <<EOF_LOG
$T1
$T2
$T3
$T19 ${T20}S ${T21}k ${T22}new -> C:\later.ini
$T19 ${T20}S ${T21}k ${T22}new -> C:\Cfg\merged.ini
$T19 ${T20}S ${T21}k2 ${T22}new2 -> C:\Cfg\merged.ini
$T17 $P\Ini\Cfg\whole.ini C:\Cfg\whole.ini
$T14 Number:61; Description:<*> '$P\whole.ini'; Source:<*>
$T14 Number:53; Description:<*> '$P\whole.ini'; Source:<*>
EOF_LOG
assert_out_has "$T14 Number:61"
assert_same_file "$DRIVE_C/Cfg/merged.ini" "$E2E_TMP/merged-before.ini"
assert_no_file "$DRIVE_C/Cfg/whole.ini"
assert_ini "$DRIVE_C/later.ini" S k new

# ------------------------------------------ an I/O error while listing
# The Standard tree cannot be listed whole: its pass installs nothing and
# the failure is reported with the tree as the place; the other passes run.
E2E_SCENARIO=eio_listing
e2e_fresh
for f in a b c d e; do put "$SP/Standard/Data/$f.txt" "new $f"; done
put "$SP/Ini/after.ini" "[S]"
drv_install_program
run_with_faults "readdir,EIO,3,*/ServicePacks/Standard/Data"
assert_status 1
assert_log_is <<EOF_LOG
$T1
$T14 Number:57; Description:<*> '$P\Standard'; Source:<*>
$T2
$T3
$T17 $P\Ini\after.ini C:\after.ini
EOF_LOG
assert_out_has "$T14 Number:57"
assert_no_file "$DRIVE_C/Data"

# -------------------------------- an I/O error while reading a merge source
E2E_SCENARIO=eio_merge_source
e2e_fresh
crlf "[S]" "k=new" | put "$SP/Ini/bad.ini"
crlf "[S]" "k=new" | put "$SP/Ini/good.ini"
crlf "[S]" "k=old" | put "$DRIVE_C/bad.ini"
crlf "[S]" "k=old" | put "$DRIVE_C/good.ini"
drv_install_program
E2E_ANSWERS="ok"
run_with_faults "read,EIO,0,*/ServicePacks/Ini/bad.ini"
assert_status 1
assert_log_is <<EOF_LOG
$T1
$T2
$T3
$T14 Number:57; Description:<*> '$P\bad.ini'; Source:<*>
$T19 ${T20}S ${T21}k ${T22}new -> C:\good.ini
EOF_LOG
assert_out_has "$T14 Number:57"
assert_ini "$DRIVE_C/bad.ini" S k old
assert_ini "$DRIVE_C/good.ini" S k new

# ----------------------- a source that vanishes between listing and copy
# It is gone when the copy opens it: retried silently, then the question
# (answered Ignore); the old target stays and the run goes on.
E2E_SCENARIO=vanished_source
e2e_fresh
put "$SP/Standard/V/gone.txt" "new gone"
put "$SP/Standard/V/stay.txt" "new stay"
find "$SP/Standard" -type f -exec touch -d "2021-01-01 12:00" {} +
put "$DRIVE_C/V/gone.txt" "old gone"
touch -d "2020-01-01 12:00" "$DRIVE_C/V/gone.txt"
drv_install_program
E2E_ANSWERS="i"
run_with_faults "open,vanish,0,*/ServicePacks/Standard/V/gone.txt"
assert_status 1
assert_log_is <<EOF_LOG
$T1
$T17 $S\V\gone.txt <T>  -> C:\V\gone.txt <T>
$T14 Number:53; Description:<*> '$S\V\gone.txt' -> 'C:\V\gone.txt'; Source:<*>
$T17 $S\V\stay.txt <T> -> C:\V\stay.txt
$T2
$T3
EOF_LOG
assert_out_has "$T14 Number:53"
assert_file_eq "$DRIVE_C/V/gone.txt" "old gone"
assert_file_eq "$DRIVE_C/V/stay.txt" "new stay"

e2e_finish
