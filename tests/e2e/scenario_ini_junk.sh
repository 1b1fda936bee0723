#!/usr/bin/env bash
# Ini sources that are no proper ini files: binary junk (NUL, control and
# 8-bit bytes, lone CRs) and a line of 1 MB. The run ends normally, the
# entries after the junk are still merged, and what the target held stays.
source "$(dirname "$0")/lib.sh"

# junk N SEED: N bytes from a fixed pseudo-random sequence (the same on
# every run), every byte value included.
junk() {
  local i x=$2 escapes="" one
  for ((i = 0; i < $1; i++)); do
    x=$(((x * 1103515245 + 12345) % 2147483648))
    printf -v one '\\%03o' $(((x >> 16) % 256))
    escapes+=$one
  done
  printf '%b' "$escapes"
}

e2e_fresh
# Junk before the first section (never written), junk values inside a
# section, then a plain section. No '"' or '[' in the junk, so that where
# the merge stands after it does not depend on the junk's bytes.
mkdir -p "$SP/Ini"
{
  junk 4096 7 | tr -d '"[' | tr '\n' '\r'
  printf '\r\n[Bin]\r\nKey=\001\002\377\000abc\r\nNul\000Key=v\r\n\377\376=x\r\n'
  junk 2048 11 | tr -d '"['
  printf '\r\n[After]\r\nOk=1\r\n'
} >"$SP/Ini/Junk.ini"
{
  printf '[S]\r\nLong='
  head -c 1048576 /dev/zero | tr '\0' 'x'
  printf '\r\nNext=1\r\n'
} >"$SP/Ini/Long.ini"
crlf "[Keep]" "A=1" | put "$DRIVE_C/Junk.ini"
crlf "[S]" "Long=short" "Other=2" | put "$DRIVE_C/Long.ini"

drv_install_program
E2E_ANSWERS="ok ok ok ok ok ok ok ok"
drv_run 2
case $E2E_STATUS in
  0 | 1) ;;
  *) fail "the run did not end normally: status $E2E_STATUS" ;;
esac

assert_ini "$DRIVE_C/Junk.ini" Keep A 1
assert_ini "$DRIVE_C/Junk.ini" After Ok 1
assert_log_has "$T19 ${T20}After ${T21}Ok ${T22}1 -> C:\Junk.ini"
assert_ini "$DRIVE_C/Long.ini" S Next 1
assert_ini "$DRIVE_C/Long.ini" S Other 2
assert_log_has "$T19 ${T20}S ${T21}Next ${T22}1 -> C:\Long.ini"
# The long value's log line holds the whole value.
{
  printf '%s' "$T19 ${T20}S ${T21}Long ${T22}"
  head -c 1048576 /dev/zero | tr '\0' 'x'
  printf '%s\n' ' -> C:\Long.ini'
} >"$E2E_TMP/long-line"
long_lines=$(log_lines | LC_ALL=C grep -acxF -f "$E2E_TMP/long-line")
[[ "$long_lines" == 1 ]] || fail "the 1 MB entry was logged $long_lines times"
assert_log_last "$T19 ${T20}S ${T21}Next ${T22}1 -> C:\Long.ini"

e2e_finish
