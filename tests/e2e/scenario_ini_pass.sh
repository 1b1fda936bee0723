#!/usr/bin/env bash
# Ini pass: a missing ini file is copied whole (text 17 line without dates),
# an existing one is merged entry by entry: lines before the first section
# are not written, "Speed = 100" keeps its blanks in the log, Pos=10,20
# writes Pos=10 twice, A=B=C writes B=C, empty keys or values write nothing,
# a line without "=" repeats the last entry, [ A ] is a section of its own,
# [] is none, a quoted item keeps its comma. An empty source leaves its
# target alone apart from the attributes. The PC's 8-bit text (Windows-1252)
# reaches the run report as UTF-8.
source "$(dirname "$0")/lib.sh"

e2e_fresh
I='C:\ServicePacks\Ini'
Q='C:\Windows\Quelt.ini'
crlf "[New]" "Fresh=1" | put "$SP/Ini/New.ini"
crlf "[Deep]" "Level=2" | put "$SP/Ini/Sub/Deep.ini"
put "$SP/Ini/Empty.ini" ""
crlf "Before=not written" "; comment before" "[General]" "Speed = 100" \
  "Pos=10,20" "A=B=C" "Key=" "=Value" ";Note=x" "a comment without equals" \
  "[ A ]" "K1=v1" "[]" "K2=v2" '"Q=a,b"' "[Other]" |
  put "$SP/Ini/\$WinDir\$/Quelt.ini"

crlf "[General]" "Speed=1" "Other=kept" "[Keep]" "Other=1" |
  put "$DRIVE_C/Windows/Quelt.ini"
crlf "[Empty]" "Stays=yes" | put "$DRIVE_C/Empty.ini"
set_attr "$DRIVE_C/Empty.ini" 1
cp "$DRIVE_C/Empty.ini" "$E2E_TMP/empty-before.ini"

drv_install_program
drv_run 2
assert_status 0

E="$T19 $T20"
assert_log_is <<EOF_LOG
$T1
$T2
$T3
$T17 $I\New.ini C:\New.ini
$T16 C:\Sub
${E}General ${T21}Speed  ${T22} 100 -> $Q
${E}General ${T21}Pos ${T22}10 -> $Q
${E}General ${T21}Pos ${T22}10 -> $Q
${E}General ${T21}A ${T22}B=C -> $Q
${E}General ${T21};Note ${T22}x -> $Q
${E}General ${T21};Note ${T22}x -> $Q
${E} A  ${T21}K1 ${T22}v1 -> $Q
${E} A  ${T21}K1 ${T22}v1 -> $Q
${E} A  ${T21}K2 ${T22}v2 -> $Q
${E} A  ${T21}Q ${T22}a,b -> $Q
$T17 $I\Sub\Deep.ini C:\Sub\Deep.ini
EOF_LOG

assert_same_file "$DRIVE_C/New.ini" "$SP/Ini/New.ini"
assert_same_file "$DRIVE_C/Sub/Deep.ini" "$SP/Ini/Sub/Deep.ini"
Qh=$DRIVE_C/Windows/Quelt.ini
assert_ini "$Qh" General Speed 100
assert_ini "$Qh" General Pos 10
assert_ini "$Qh" General A "B=C"
assert_ini "$Qh" General ";Note" x
assert_ini "$Qh" General Other kept
assert_ini "$Qh" Keep Other 1
assert_ini "$Qh" A K1 v1
assert_ini "$Qh" A K2 v2
assert_ini "$Qh" A Q "a,b"
assert_ini_absent "$Qh" General Before
assert_ini_absent "$Qh" General Key
assert_ini_absent "$Qh" General ""
assert_ini_absent "$Qh" Other K2
assert_same_file "$DRIVE_C/Empty.ini" "$E2E_TMP/empty-before.ini"
for f in "$DRIVE_C/Empty.ini" "$Qh" "$DRIVE_C/New.ini" "$DRIVE_C/Sub" \
  "$DRIVE_C/Sub/Deep.ini"; do
  assert_attr "$f" 0
done

e2e_finish
