#!/usr/bin/env bash
# The undo of a run after other programs changed what it installed: one
# file replaced since, and an entry of a merged ini file that the run did
# not write. The undo leaves that file as it is, puts back the ini entry
# the run wrote and keeps the other program's, undoes everything else and
# ends with 1; its report names both. Its preview changes nothing, and a
# second undo finds the run already undone.
source "$(dirname "$0")/lib.sh"

e2e_fresh
pack_layout <<'EOF_LAYOUT'
Standard/App/a.txt = new a
Standard/App/b.txt = new b
Standard/App/c.txt = new c
EOF_LAYOUT
crlf "[S]" "K=new" | put "$SP/Ini/App/app.ini"
put "$DRIVE_C/App/a.txt" "old a"
put "$DRIVE_C/App/b.txt" "old b"
set_mtime "$DRIVE_C/App/a.txt" "2000-01-01 12:00:00"
set_mtime "$DRIVE_C/App/b.txt" "2000-01-01 12:00:00"
crlf "[S]" "K=old" "Own=pc" | put "$DRIVE_C/App/app.ini"
drv_install_program
e2e_pc_state "$E2E_TMP/state-before"

backup=$E2E_TMP/backup
ROLVEX_BACKUP=$(drv_program_path "$backup") drv_run 2
assert_status 0
assert_file_eq "$DRIVE_C/App/b.txt" "new b"
assert_ini "$DRIVE_C/App/app.ini" S K new

# Other programs at work since.
put "$DRIVE_C/App/b.txt" "b changed since"
crlf "[S]" "K=new" "Own=changed since" >"$DRIVE_C/App/app.ini"

e2e_changes_nothing "the undo's preview" drv_undo "$backup" --preview
[[ $E2E_UNDO_STATUS == 1 ]] || fail "undo preview: status $E2E_UNDO_STATUS, expected 1"

REPORT=$E2E_TMP/undo-report.json
E2E_UNDO_REPORT=$REPORT drv_undo "$backup"
[[ $E2E_UNDO_STATUS == 1 ]] || fail "undo: status $E2E_UNDO_STATUS, expected 1"
e2e_check_report "$REPORT"
assert_report '[.kind, .exit_status] | join(" ")' "undo 1"
assert_report '.entries[] | select(.outcome != "ok") | [.target, .action,
  .outcome] | join(" ")' 'C:\App\app.ini entries-restored failed
C:\App\b.txt restored failed'
assert_file_eq "$DRIVE_C/App/b.txt" "b changed since"
assert_ini "$DRIVE_C/App/app.ini" S K old
assert_ini "$DRIVE_C/App/app.ini" S Own "changed since"
# All else is as before the run.
e2e_pc_state "$E2E_TMP/state-after"
changed='App/b\.txt |App/app\.ini '
diff <(grep -Ev "$changed" "$E2E_TMP/state-before") \
  <(grep -Ev "$changed" "$E2E_TMP/state-after") >"$E2E_TMP/state-diff.txt" ||
  fail "the undo left more than the two changed files (< before the run, > after the undo):
$(head -20 "$E2E_TMP/state-diff.txt")"

drv_undo "$backup"
[[ $E2E_UNDO_STATUS == 0 ]] || fail "second undo: status $E2E_UNDO_STATUS, expected 0"
grep -a "^already undone: " "$E2E_TMP/undo.txt" >/dev/null ||
  fail "the second undo does not say \"already undone\": $(cat "$E2E_TMP/undo.txt")"

e2e_finish
