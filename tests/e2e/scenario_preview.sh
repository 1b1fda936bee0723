#!/usr/bin/env bash
# The preview: on the example service pack it changes nothing and predicts
# the first run (folders, copies, registrations, merges) and the second
# (kept files, the font replaced again) line for line, with the run's exit
# status; its --json plan is the first run's own report, marked as a
# preview. With files in use it foresees the question (answered Ignore, marked
# "would ask") and the replacement below System32 at the next restart; with
# the cancel latch set it foresees that nothing would run. --changes lists
# only the changes, a placeholder no PC knows is a warning, and a folder that
# is no service pack ends the preview with 2.
source "$(dirname "$0")/lib.sh"

e2e_fresh
cp -a "$E2E_REPO/examples/servicepack/." "$SP/"
mkdir -p "$DRIVE_C/Windows/Fonts"
crlf "[Allgemein]" "Version=3.1.0" "Maschine=M-4711" | put "$DRIVE_C/Windows/Quelt.ini"
drv_install_program
e2e_report_on
E2E_PREVIEW_JSON=$E2E_TMP/preview.json

e2e_preview --changes
# One line for each entry of the plan that changes something, a word first,
# and one for the version handed over to Computer.ini.
want=$(jq '[.entries[] | select(.changed)] | length + 1' "$E2E_PREVIEW_JSON")
[[ $(preview_text | wc -l) == "$want" && $want -gt 10 ]] ||
  fail "--changes printed $(preview_text | wc -l) lines for $want changes"
preview_text | LC_ALL=C grep -avE '^(new|replaced|font|folder|ini|ini copied|component|at restart) +C:' |
  head -3 | grep -a . && fail "--changes printed other lines"
preview_text | LC_ALL=C grep -aqF 'ini        C:\Windows\Quelt.ini [Allgemein] Version: 3.1.0 -> 3.2.0' ||
  fail "--changes lacks the ini change old -> new"

assert_preview_exact 2
assert_status 0
assert_preview_report_is_run_report
preview_text | LC_ALL=C grep -ax "Exit status: 0 .*" >/dev/null ||
  fail "the summary lacks the exit status"
assert_preview_exact 2
assert_status 0

# Files in use: one below System32, one elsewhere.
e2e_fresh
S='C:\ServicePacks\Standard'
put "$SP/Standard/\$WinDir\$/System32/quelt.dll" "new"
put "$DRIVE_C/Windows/System32/quelt.dll" "old"
set_mtime "$DRIVE_C/Windows/System32/quelt.dll" "2001-01-01 12:00"
drv_install_program
drv_lock_file "$DRIVE_C/Windows/System32/quelt.dll"
e2e_preview
[[ $E2E_PREVIEW_STATUS == 3010 ]] ||
  fail "System32 in use: preview status $E2E_PREVIEW_STATUS, expected 3010"
preview_text | LC_ALL=C grep -axF \
  "  $S\\\$WinDir\$\\System32\\quelt.dll -> C:\\Windows\\System32\\quelt.dll" \
  >/dev/null || fail "the preview lacks the replacement at restart"

put "$SP/Standard/busy.txt" "new"
put "$DRIVE_C/busy.txt" "old"
set_mtime "$DRIVE_C/busy.txt" "2001-01-01 12:00"
drv_lock_file "$DRIVE_C/busy.txt"
e2e_preview
[[ $E2E_PREVIEW_STATUS == 1 ]] ||
  fail "a file in use: preview status $E2E_PREVIEW_STATUS, expected 1"
preview_text | LC_ALL=C grep -a "^  would ask: $T14 Number:70.*busy.txt" >/dev/null ||
  fail "the preview does not mark the question for busy.txt"
assert_file_eq "$DRIVE_C/busy.txt" "old"
if [[ "$(drv_platform)" == linux ]]; then
  # The same run, its question answered Ignore as the preview answers it.
  # (Under Wine the real failure's description is the system's own text,
  # which the preview cannot know beforehand.)
  E2E_ANSWERS="i"
  assert_preview_exact 2
  assert_status 1
  assert_preview_report_is_run_report
fi
drv_unlock_all

# A misspelt placeholder is a warning; a folder without trees is no pack.
put "$SP/Standard/\$QueltToolDir\$/tool.txt" "tool"
e2e_preview
preview_text | LC_ALL=C grep -axF \
  '  $QueltToolDir$ is no placeholder of this PC; it stays in the target C:\$QueltToolDir$' \
  >/dev/null || fail "the preview does not warn of \$QueltToolDir\$"
mkdir -p "$E2E_TMP/not-a-pack/Docs"
E2E_PREVIEW_FOLDER=$E2E_TMP/not-a-pack e2e_preview
[[ $E2E_PREVIEW_STATUS == 2 ]] ||
  fail "no pack: preview status $E2E_PREVIEW_STATUS, expected 2"
grep -q "is not a service pack" "$E2E_TMP/preview-err.txt" ||
  fail "no pack: no reason given"

# The cancel latch: nothing would run, and nothing is logged.
crlf "[General]" "CancelSP=True" | put "$DRIVE_C/ServicePack.ini"
e2e_preview
[[ $E2E_PREVIEW_STATUS == 4 ]] ||
  fail "latch set: preview status $E2E_PREVIEW_STATUS, expected 4"
[[ -z "$(preview_log_lines)" ]] || fail "latch set: the preview logged lines"

e2e_finish
