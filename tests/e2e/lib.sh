# Shared helpers of the end-to-end scenarios (bash; source it, do not run it).
#
# ============================== DRIVER CONTRACT ==============================
# A scenario script sources this file, which sources
# tests/e2e/driver_${E2E_DRIVER:-linux}.sh. Scenarios use only the functions
# and variables below, so that every scenario runs against the Linux program
# (driver_linux.sh) and against Rolvex.exe under Wine (driver_wine.sh).
#
# The driver defines:
#   drv_init
#       Makes a fresh prefix below $E2E_TMP and exports DRIVE_C (the host
#       folder of drive C:) and PREFIX. Also exports REGSVR32_LOG: the host
#       file into which the RegSvr32 stand-in appends one line per call,
#       "RegSvr32" followed by its argument words, each after one blank.
#   drv_install_program [WINDOWS_DIR]
#       Places the program into WINDOWS_DIR (default C:\ServicePacks, that is
#       $DRIVE_C/ServicePacks), next to the service pack built there.
#   drv_run [ARGS...]
#       Runs the installed program with these command-line words. Message
#       box answers come from $E2E_ANSWERS (space-separated, in order: a, r,
#       i for Abort/Retry/Ignore, ok to close an OK box). Without answers
#       nobody is there, and no box waits (Linux: the input ends at once;
#       Wine: ROLVEX_UNATTENDED=1). The program's standard output goes to
#       $E2E_TMP/out.txt. Sets E2E_STATUS to the exit
#       status; never fails the script by itself; never hangs (ends the
#       program after 120 s, E2E_STATUS is then 124).
#   drv_start [ARGS...] / drv_finish
#       drv_run in two halves: the program starts in the background, and
#       drv_finish answers its boxes and waits for it. Meanwhile drv_run may
#       start another instance. With E2E_OUT set, the standard output goes
#       there instead of $E2E_TMP/out.txt.
#   drv_kill
#       Kills the program drv_start started with SIGKILL, as a deployment
#       agent's time-out does, and waits for it (instead of drv_finish).
#   drv_end_session
#       Ends the session the program drv_start started runs in, as the
#       system does at a log-off or shutdown (Wine: WM_QUERYENDSESSION, then
#       WM_ENDSESSION; Linux: SIGTERM). Sets E2E_SESSION_ANSWER to what the
#       program answered when asked ("query 0": it refused), "" when nobody
#       asks.
#   drv_lock_file HOSTPATH / drv_unlock_all
#       Holds a file open and locked by another process, so that the program
#       can neither replace nor delete it (Linux: flock in a background
#       process); drv_unlock_all lets go of every such file.
#   drv_restart
#       Carries out the replacements scheduled for the next restart
#       (Linux: rolvex-restart; Wine: wineboot -r); returns its status.
#   drv_platform
#       Prints "linux" or "wine". A scenario may skip a check on one
#       platform, with a comment saying why.
#   drv_preview [ARGS...] (E2E_PREVIEW_FOLDER: a host folder instead of the pack)
#       Runs the preview program for the installed program's folder, as
#       drv_run runs the program: its standard output goes to
#       $E2E_TMP/preview.txt; sets E2E_PREVIEW_STATUS. With E2E_PREVIEW_JSON
#       set to a host file, the preview also writes its plan there (--json).
#   drv_preview_root
#       Prints the host folder a preview must leave exactly as it was.
#   drv_pack COMMAND HOSTFOLDER [ARGS...]
#       Runs the pack tool (rolvex-pack, RolvexPack.exe) on a host folder:
#       its standard output goes to $E2E_TMP/pack.txt; sets E2E_PACK_STATUS.
#   drv_undo HOSTFOLDER [--preview]
#       Runs the undo program (rolvex-undo, RolvexUndo.exe) on the backup
#       folder HOSTFOLDER (or one run's folder in it), as drv_run runs the
#       program: its standard output goes to $E2E_TMP/undo.txt; sets
#       E2E_UNDO_STATUS. With E2E_UNDO_REPORT set to a host file, the undo
#       writes its report there; otherwise it writes none.
# Optional, with a default here:
#   drv_program_path HOSTPATH
#       Prints the path by which the program names that host file (Wine:
#       its Windows path). Default: the host path itself.
#   drv_make_component HOSTPATH NAME
#       Writes a self-registering component at HOSTPATH that, when started,
#       appends "NAME" followed by its argument words (each after one blank)
#       to $REGSVR32_LOG. Default: an executable sh script (Linux starts a
#       component "X.exe" through the drive model).
#   drv_pc_registry / drv_pc_registry_keep FILE / drv_pc_registry_put FILE
#       What a run may change of the PC outside drv_preview_root (Wine: the
#       registry value PendingFileRenameOperations): printed as text, kept
#       in the host file FILE, put back from it. Default: nothing.
#
# Paths in scenarios are host paths below $DRIVE_C; the log file is
# $DRIVE_C/QueltServicePack.log. Attributes are read as Windows attribute
# bits: read-only is "no write permission", hidden and system live in the
# user.DOSATTRIB extended attribute (where Wine keeps them too).
# ============================================================================

set -uo pipefail

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_REPO=$(cd "$E2E_DIR/../.." && pwd)
E2E_DRIVER=${E2E_DRIVER:-linux}
E2E_FAILURES=0
E2E_SCENARIO=${E2E_SCENARIO:-$(basename "$0" .sh)}

if [[ -z "${E2E_TMP:-}" ]]; then
  E2E_TMP=$(mktemp -d /tmp/rolvex-e2e.XXXXXX)
  E2E_OWN_TMP=1
else
  mkdir -p "$E2E_TMP"
  E2E_OWN_TMP=0
fi
export E2E_TMP

e2e_cleanup() {
  drv_unlock_all 2>/dev/null
  if [[ $E2E_OWN_TMP == 1 && -z "${E2E_KEEP:-}" ]]; then
    chmod -R u+w "$E2E_TMP" 2>/dev/null
    rm -rf "$E2E_TMP"
  fi
}
trap e2e_cleanup EXIT

# shellcheck source=/dev/null
source "$E2E_DIR/driver_${E2E_DRIVER}.sh"

if ! declare -F drv_program_path >/dev/null; then
  drv_program_path() { printf '%s\n' "$1"; }
fi

# Every report a run writes ($REPORT, see e2e_report_on) and every plan a
# preview writes ($E2E_PREVIEW_JSON) is checked against the published
# schema and its own tallies (check_report.py).
e2e_check_report() {
  [[ -s "$1" ]] || return 0
  local found
  # Debian's own Python, which python3-jsonschema is installed for.
  found=$(/usr/bin/python3 "$E2E_DIR/check_report.py" \
    "$E2E_REPO/docs/report.schema.json" "$1" 2>&1) ||
    fail "the report $1 does not hold:
$found"
}
eval "e2e_driver_finish() $(declare -f drv_finish | tail -n +2)"
drv_finish() {
  e2e_driver_finish "$@"
  [[ -n "${REPORT:-}" ]] && e2e_check_report "$REPORT"
  return 0
}
eval "e2e_driver_preview() $(declare -f drv_preview | tail -n +2)"
drv_preview() {
  e2e_driver_preview "$@"
  [[ -n "${E2E_PREVIEW_JSON:-}" ]] && e2e_check_report "$E2E_PREVIEW_JSON"
  return 0
}

if ! declare -F drv_pc_registry >/dev/null; then
  drv_pc_registry() { :; }
  drv_pc_registry_keep() { :; }
  drv_pc_registry_put() { :; }
fi

if ! declare -F drv_make_component >/dev/null; then
  drv_make_component() {
    # Name and log path go into the script single-quoted, so that a name
    # holding shell text stays text here too.
    local name=${2//\'/\'\\\'\'} log=${REGSVR32_LOG//\'/\'\\\'\'}
    mkdir -p "$(dirname "$1")"
    printf '#!/bin/sh\nprintf "%%s\\n" '"'"'%s'"'"'" $*" >>'"'"'%s'"'"'\n' \
      "$name" "$log" >"$1"
    chmod 755 "$1"
  }
fi

# ---------------------------------------------------------------- set-up

# The language texts the scenarios expect in the log (section EN).
T1="Installing standard files"
T2="Registering components"
T3="Updating ini files"
T14="Error"
T16="Folder created:"
T17="Copied:"
T18="Component:"
T19="Ini entry"
T20="Section:"
T21="Key:"
T22="Value:"
T28="Unchanged:"
T29="Installation aborted"
T30="Error setting attributes"

# A fresh prefix with an empty service pack (settings and texts only) in
# C:\ServicePacks; SP is its host folder.
e2e_fresh() {
  drv_init
  SP=$DRIVE_C/ServicePacks
  mkdir -p "$SP"
  crlf "[Intern]" "Text1=Service Pack E2E" "Text2=Test run" "Text3=Please wait" \
    "OK=Start" "ESC=Exit" "Sprache=EN" "[ServicePack]" "Version=9.1" \
    >"$SP/Rolvex.ini"
  {
    crlf "[EN]"
    local n
    for n in 1 2 3 14 16 17 18 19 20 21 22 28 29 30; do
      local var="T$n"
      crlf "$n=${!var}"
    done
  } >"$SP/Rolvex.txt"
  E2E_ANSWERS=""
}

# The host path of a Windows path ("C:\A\B" -> $DRIVE_C/A/B): drive C: is
# $DRIVE_C, another drive the folder its link in $PREFIX/dosdevices names
# (both drivers lay drives out so).
e2e_host_path() {
  local drive=${1:0:1} rest=${1:2} root
  rest=${rest//\\//}
  if [[ "${drive,,}" == c ]]; then
    root=$DRIVE_C
  else
    root=$(readlink -f "$PREFIX/dosdevices/${drive,,}:")
  fi
  echo "$root${rest:+/${rest#/}}"
}

# e2e_add_drive LETTER HOSTDIR: HOSTDIR becomes drive LETTER: of the prefix.
e2e_add_drive() {
  mkdir -p "$2"
  ln -sfn "$2" "$PREFIX/dosdevices/${1,,}:"
}

# A POSIX exit status keeps only the low 8 bits of the program's: 3010
# ("restart scheduled") arrives as 194, 1618 ("another run") as 82, and no
# other status of the program is either. Maps E2E_STATUS back.
e2e_full_status() {
  case "${E2E_STATUS:-}" in
    194) E2E_STATUS=3010 ;;
    82) E2E_STATUS=1618 ;;
  esac
}

# crlf LINE...: prints each line ended by CR LF.
crlf() { printf '%s\r\n' "$@"; }

# put HOSTPATH [TEXT]: writes TEXT (default: standard input) to the file,
# making its folders.
put() {
  mkdir -p "$(dirname "$1")"
  if (($# > 1)); then printf '%s' "$2" >"$1"; else cat >"$1"; fi
}

# pack_layout: reads lines "RELATIVE/PATH = text" (a file holding the text)
# or "RELATIVE/FOLDER/" (a folder) from standard input, below $SP.
pack_layout() {
  local line path text
  while IFS= read -r line; do
    [[ -z "${line// /}" || "$line" == \#* ]] && continue
    if [[ "$line" == *" = "* ]]; then
      path=${line%% = *}
      text=${line#* = }
      put "$SP/$path" "$text"
    else
      mkdir -p "$SP/${line%/}"
    fi
  done
}

# set_mtime HOSTPATH WHEN: WHEN as touch -d takes it ("2020-01-01 12:00").
set_mtime() { touch -h -d "$2" "$1"; }

# Attribute bits of a host file: read-only 1, hidden 2, system 4.
host_attr() {
  local bits=0 stored mode
  mode=$(stat -c %a "$1") || return 1
  if (((8#$mode & 8#222) == 0)); then bits=$((bits | 1)); fi
  stored=$(getfattr --only-values -n user.DOSATTRIB "$1" 2>/dev/null | tr -d '\0')
  if [[ "$stored" == 0x* ]]; then bits=$((bits | (stored & 7))); fi
  [[ "$(basename "$1")" == .* ]] && bits=$((bits | 2))
  echo "$bits"
}

# set_attr HOSTPATH BITS: read-only through the write permission, hidden and
# system through user.DOSATTRIB.
set_attr() {
  if (($2 & 1)); then chmod a-w "$1"; else chmod u+w "$1"; fi
  if (($2 & 6)); then
    # Quoted, so that setfattr stores the text and does not decode hex.
    setfattr -n user.DOSATTRIB -v "\"$(printf '0x%x' $(($2 & 6)))\"" "$1"
  else
    setfattr -x user.DOSATTRIB "$1" 2>/dev/null
  fi
  return 0
}

# ini_get HOSTFILE SECTION KEY: prints the value as a profile reader reads it
# (names trimmed and without regard to case, value trimmed); fails when the
# key is missing.
ini_get() {
  awk -v s="$2" -v k="$3" '
    function trim(x) { gsub(/^[ \t]+|[ \t]+$/, "", x); return x }
    BEGIN { s = tolower(trim(s)); k = tolower(trim(k)) }
    { sub(/\r$/, "") }
    /^[ \t]*\[/ {
      line = trim($0); e = index(line, "]")
      if (e > 0) { cur = tolower(trim(substr(line, 2, e - 2))); next }
    }
    cur == s && index($0, "=") > 0 {
      p = index($0, "=")
      if (tolower(trim(substr($0, 1, p - 1))) == k) {
        print trim(substr($0, p + 1)); found = 1; exit
      }
    }
    END { exit found ? 0 : 1 }' "$1"
}

# The log's lines without their CR. (With pipefail, never let a reader of
# these lines stop early, as grep -q does: that would fail the pipeline.)
log_lines() { tr -d '\r' <"$DRIVE_C/QueltServicePack.log" 2>/dev/null; }

# ------------------------------------------------------------- assertions

fail() {
  echo "  FAIL [$E2E_SCENARIO]: $*" >&2
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

assert_status() {
  [[ "${E2E_STATUS:-}" == "$1" ]] ||
    fail "exit status: expected $1, got ${E2E_STATUS:-none}${2:+ ($2)}"
}

# assert_file_eq HOSTPATH TEXT: the file holds exactly TEXT.
assert_file_eq() {
  if [[ ! -f "$1" ]]; then
    fail "missing file $1"
  elif [[ "$(cat "$1"; echo .)" != "$2." ]]; then
    fail "content of $1: expected [$2], got [$(cat "$1")]"
  fi
}

# assert_same_file HOSTPATH OTHER: both files hold the same bytes.
assert_same_file() {
  cmp -s "$1" "$2" || fail "$1 differs from $2"
}

assert_exists() { [[ -e "$1" ]] || fail "missing $1"; }
assert_no_file() { [[ ! -e "$1" && ! -L "$1" ]] || fail "unexpected $1"; }
assert_dir() { [[ -d "$1" ]] || fail "missing folder $1"; }

# assert_attr HOSTPATH BITS: read-only/hidden/system bits (archive ignored:
# Wine sets it on its own).
assert_attr() {
  local got
  got=$(host_attr "$1") || { fail "no attributes for missing $1"; return; }
  [[ "$got" == "$(($2 & 7))" ]] || fail "attributes of $1: expected $2, got $got"
}

assert_ini() {
  local got
  if ! got=$(ini_get "$1" "$2" "$3"); then
    fail "$1: [$2] $3 missing, expected [$4]"
  elif [[ "$got" != "$4" ]]; then
    fail "$1: [$2] $3: expected [$4], got [$got]"
  fi
}
assert_ini_absent() {
  local got
  if [[ -e "$1" ]] && got=$(ini_get "$1" "$2" "$3"); then
    fail "$1: [$2] $3 should be missing, is [$got]"
  fi
}

# Log lines: "exact" compares whole lines. In the *_like forms two tokens
# stand for text the platforms word differently: <T> for a date-time (it
# starts with a digit and ends with a digit, "M" of AM/PM or "."), <*> for
# any text (error descriptions and sources).
e2e_pattern() {
  local text=$1 out="" piece re='^(.*)(<T>|<[*]>)(.*)$'
  while [[ "$text" =~ $re ]]; do
    # The regex is greedy: this is the last token of the text.
    piece=${BASH_REMATCH[3]}
    [[ -n "$piece" ]] && out=$(printf '%q' "$piece")$out
    if [[ "${BASH_REMATCH[2]}" == "<T>" ]]; then
      out="[0-9]*[0-9APM.]$out"
    else
      out="*$out"
    fi
    text=${BASH_REMATCH[1]}
  done
  [[ -n "$text" ]] && out=$(printf '%q' "$text")$out
  printf '%s' "$out"
}
e2e_line_matches() {  # LINE PATTERN-TEXT
  # Bytes, not characters: logs are 8-bit text in the ANSI code page.
  local LC_ALL=C pattern
  pattern=$(e2e_pattern "$2")
  # printf %q quoting is undone by eval, leaving glob stars active.
  eval "[[ \$1 == $pattern ]]"
}

assert_log_has() {
  log_lines | LC_ALL=C grep -axF -- "$1" >/dev/null || fail "log lacks line [$1]"
}
assert_log_like() {
  local line
  while IFS= read -r line; do
    e2e_line_matches "$line" "$1" && return 0
  done < <(log_lines)
  fail "log lacks a line like [$1]"
}
assert_log_lacks() {  # SUBSTRING
  if log_lines | LC_ALL=C grep -aF -- "$1" >/dev/null; then fail "log has [$1]"; fi
}
assert_log_count() {  # LINE N
  local n
  n=$(log_lines | LC_ALL=C grep -acxF -- "$1")
  [[ "$n" == "$2" ]] || fail "log has [$1] $n times, expected $2"
}
assert_log_last() {
  local last
  last=$(log_lines | tail -n 1)
  e2e_line_matches "$last" "$1" || fail "last log line: expected [$1], got [$last]"
}
assert_no_log() {
  [[ ! -s "$DRIVE_C/QueltServicePack.log" ]] || fail "a log was written"
}

# assert_log_is: the whole log, one expected line (with <*>) per line of
# standard input.
assert_log_is() {
  local -a want got
  mapfile -t want
  mapfile -t got < <(log_lines)
  local i n=${#want[@]}
  ((${#got[@]} > n)) && n=${#got[@]}
  for ((i = 0; i < n; i++)); do
    if [[ $i -ge ${#want[@]} || $i -ge ${#got[@]} ]] ||
      ! e2e_line_matches "${got[i]:-}" "${want[i]:-}"; then
      fail "log line $((i + 1)): expected [${want[i]:-<end>}], got [${got[i]:-<end>}]"
      return
    fi
  done
}

# assert_registrations: the recorded registration calls are exactly the
# lines of standard input.
assert_registrations() {
  local want got
  want=$(cat)
  got=$(cat "$REGSVR32_LOG" 2>/dev/null | tr -d '\r')
  [[ "$got" == "$want" ]] ||
    fail "registrations: expected
$want
--- got
$got"
}

# assert_out_has SUBSTRING: the program's standard output holds it.
assert_out_has() {
  LC_ALL=C grep -aqF -- "$1" "$E2E_TMP/out.txt" || fail "output lacks [$1]"
}
# assert_out_count SUBSTRING N: lines of the output holding it.
assert_out_count() {
  local n
  n=$(LC_ALL=C grep -acF -- "$1" "$E2E_TMP/out.txt")
  [[ "$n" == "$2" ]] || fail "output has [$1] on $n lines, expected $2"
}

# ------------------------------------------------------------- run report

# e2e_report_on: the following runs write their run report (ROLVEX_REPORT)
# to the host file $REPORT, which is removed first.
e2e_report_on() {
  REPORT=$E2E_TMP/report.json
  rm -f "$REPORT"
  ROLVEX_REPORT=$(drv_program_path "$REPORT")
  export REPORT ROLVEX_REPORT
}

# assert_report JQ-FILTER EXPECTED: the filter picks EXPECTED (raw text,
# several results one a line) from the report.
assert_report() {
  local got
  if ! got=$(jq -r "$1" "$REPORT" 2>&1); then
    fail "report: [$1] unreadable: $got"
  elif [[ "$got" != "$2" ]]; then
    fail "report $1: expected [$2], got [$got]"
  fi
}

# The log lines the report's entries stand for, with @N@ for language text
# N and <T> for a time stamp: a copy's line by its decision (the time stamp
# of the target stands only in the line of a present target), the line of a
# replacement at restart after it, a component's line around its copy.
E2E_REPORT_LOG_LINES='
def copy_line($decision; $e):
  if $decision == null then empty
  elif $decision == "kept" then "@28@ \($e.source) <T>  -> \($e.target) <T>"
  elif $decision == "replaced" or
       ($decision == "scheduled-at-restart" and ($e | has("target_time")))
  then "@17@ \($e.source) <T>  -> \($e.target) <T>"
  else "@17@ \($e.source) <T> -> \($e.target)" end,
  if $decision == "scheduled-at-restart"
  then "@17@ System32 \($e.source) -> \($e.target)" else empty end;
.entries[] as $e
| if $e.action == "folder-created" then "@16@ \($e.target)"
  elif $e.action == "copied-whole" then "@17@ \($e.source) \($e.target)"
  elif $e.action == "merged" then
    "@19@ @20@\($e.section) @21@\($e.key) @22@\($e.value) -> \($e.target)"
  elif $e.action == "registered" then
    "@18@ \($e.target)", copy_line($e.copy; $e), "@18@ \($e.target)"
  elif $e.action == null then empty
  else copy_line($e.action; $e) end'

# assert_report_matches_log: the report's exit status is the run's, and its
# entries are the log's, one for one and in order: the lines of the
# decisions (pass headings and failure lines left out of the log) are those
# the entries stand for, and the error numbers of the failed, ignored and
# aborted entries appear in the log's failure lines in the same order.
# (A failure that only a message box reports has no log line; these
# scenarios have none.)
assert_report_matches_log() {
  if [[ ! -s "$REPORT" ]]; then
    fail "no report written to $REPORT"
    return
  fi
  assert_report .exit_status "$E2E_STATUS"
  local -a want got numbers logged
  local line n text name
  # The log is 8-bit text; the report's UTF-8 goes back to Latin-1.
  mapfile -t want < <(jq -r "$E2E_REPORT_LOG_LINES" "$REPORT" |
    iconv -f UTF-8 -t LATIN1)
  for ((n = 0; n < ${#want[@]}; n++)); do
    line=${want[n]}
    for text in 16 17 18 19 20 21 22 28; do
      name=T$text
      line=${line//@$text@/${!name}}
    done
    want[n]=$line
  done
  mapfile -t got < <(log_lines | LC_ALL=C grep -avxF -e "$T1" -e "$T2" \
    -e "$T3" -e "$T29" | LC_ALL=C grep -av -e "^$T14 Number:" \
    -e "^$T30 Number:" -e "^Fault MoveFileEx File:")
  n=${#want[@]}
  ((${#got[@]} > n)) && n=${#got[@]}
  local i
  for ((i = 0; i < n; i++)); do
    if [[ $i -ge ${#want[@]} || $i -ge ${#got[@]} ]] ||
      ! e2e_line_matches "${got[i]:-}" "${want[i]:-}"; then
      fail "report entry for log line $((i + 1)): report says [${want[i]:-<end>}], log has [${got[i]:-<end>}]"
      return
    fi
  done
  mapfile -t numbers < <(jq -r '.entries[] | select(.outcome != "ok")
    | .error.number' "$REPORT")
  mapfile -t logged < <(log_lines | LC_ALL=C sed -nE \
    -e "s/^($T14|$T30) Number:([0-9]+);.*/\2/p" \
    -e 's/^Fault MoveFileEx File:.* Err\.Nr\.([0-9]+) .*/\1/p')
  i=0
  for n in "${numbers[@]}"; do
    while ((i < ${#logged[@]})) && [[ "${logged[i]}" != "$n" ]]; do
      i=$((i + 1))
    done
    if ((i == ${#logged[@]})); then
      fail "report: failure $n has no failure line in the log (in order)"
      return
    fi
    i=$((i + 1))
  done
}

# Ends the scenario: status 0 when every assertion held.
e2e_finish() {
  if ((E2E_FAILURES == 0)); then
    exit 0
  fi
  echo "  [$E2E_SCENARIO] $E2E_FAILURES failed check(s); output of the last run:" >&2
  sed 's/^/    | /' "$E2E_TMP/out.txt" 2>/dev/null | head -40 >&2
  exit 1
}

# ---------------------------------------------------------------- preview

# e2e_snapshot FOLDER: every entry below FOLDER with its type, size, mode,
# modification and change times and link target, then the contents'
# checksums and the extended attributes. (Access times are left out: the
# preview reads the pack's files, as the run does.)
e2e_snapshot() {
  (
    cd "$1" || exit 1
    find . -printf '%p %y %s %m %T@ %C@ %l\n' | LC_ALL=C sort
    find . -type f -print0 | LC_ALL=C sort -z | xargs -0 -r md5sum
    getfattr -R -h -d -m - . 2>/dev/null
  )
}

# The last preview's standard output without CR (the Windows console
# program writes CR LF), and the log lines it predicted (the output before
# the summary).
preview_text() { tr -d '\r' <"$E2E_TMP/preview.txt"; }
preview_log_lines() { preview_text | sed '/^=== Preview summary ===$/,$d'; }
# The log lines from line N on as the preview shows them: decoded by the
# PC's code page, control characters escaped.
shown_log_lines_from() {
  log_lines | tail -n +"$1" | /usr/bin/python3 "$E2E_DIR/shown_text.py" \
    "$(drv_platform)" | sed '$d'
}

# e2e_changes_nothing WHAT COMMAND [ARGS...]: runs the command and fails
# the scenario when it changed anything below drv_preview_root.
e2e_changes_nothing() {
  local what=$1 root
  shift
  root=$(drv_preview_root)
  e2e_snapshot "$root" >"$E2E_TMP/snapshot-before.txt"
  "$@"
  e2e_snapshot "$root" >"$E2E_TMP/snapshot-after.txt"
  if ! cmp -s "$E2E_TMP/snapshot-before.txt" "$E2E_TMP/snapshot-after.txt"; then
    fail "$what changed the PC:
$(diff "$E2E_TMP/snapshot-before.txt" "$E2E_TMP/snapshot-after.txt" | head -20)"
  fi
}

# e2e_preview [ARGS...]: runs the preview (ARGS after its folder), which
# must change nothing.
e2e_preview() { e2e_changes_nothing "the preview" drv_preview "$@"; }

# assert_preview_exact ARGS...: previews, then runs the program with ARGS;
# the preview must have changed nothing, must foresee the run's exit status
# and must have predicted, line for line, what the run appended to the log.
assert_preview_exact() {
  local before
  e2e_preview
  before=$(log_lines 2>/dev/null | wc -l)
  drv_run "$@"
  assert_status "$E2E_PREVIEW_STATUS" "as the preview foresaw"
  local diff
  if ! diff=$(diff <(preview_log_lines) <(shown_log_lines_from $((before + 1)))); then
    fail "the preview's log differs from the run's (< preview, > run):
$(head -20 <<<"$diff")"
  fi
}

# assert_preview_report_is_run_report: the preview's plan ($E2E_PREVIEW_JSON)
# is the run's own report ($REPORT) but for the times, the preview mark and
# the commands' exit codes, which a preview cannot know, and the holders of
# files in use, which the run looks up only when its copy is refused.
assert_preview_report_is_run_report() {
  local want got file
  for file in "$REPORT" "$E2E_PREVIEW_JSON"; do
    jq -e . "$file" >/dev/null 2>&1 || { fail "no readable report $file"; return; }
  done
  local same='del(.started, .ended, .preview, .entries[].held_by,
    .entries[].commands[]?.exit_code)'
  want=$(jq -S "$same" "$REPORT" 2>&1)
  got=$(jq -S "$same" "$E2E_PREVIEW_JSON" 2>&1)
  [[ "$got" == "$want" ]] ||
    fail "the preview's report differs from the run's:
$(diff <(echo "$got") <(echo "$want") | head -20)"
  [[ "$(jq .preview "$E2E_PREVIEW_JSON" 2>&1)" == true ]] ||
    fail "the preview's report is not marked \"preview\": true"
}

# With E2E_PREVIEW set, every unattended run of every scenario is previewed
# first, and the preview must change nothing. A run that completes without a
# failure (status 0 or 3010) must also have been foreseen exactly.
if [[ -n "${E2E_PREVIEW:-}" ]]; then
  eval "e2e_unpreviewed_run() $(declare -f drv_run | tail -n +2)"
  drv_run() {
    if [[ "${1:-}" != 1 && "${1:-}" != 2 ]]; then
      e2e_unpreviewed_run "$@"
      return
    fi
    local before
    e2e_preview
    before=$(log_lines 2>/dev/null | wc -l)
    e2e_unpreviewed_run "$@"
    if [[ $E2E_STATUS == 0 || $E2E_STATUS == 3010 ]]; then
      [[ $E2E_PREVIEW_STATUS == "$E2E_STATUS" ]] ||
        fail "preview foresaw status $E2E_PREVIEW_STATUS, the run ended $E2E_STATUS"
      diff <(preview_log_lines) <(shown_log_lines_from $((before + 1))) \
        >"$E2E_TMP/preview-diff.txt" ||
        fail "the preview's log differs from the run's:
$(head -20 "$E2E_TMP/preview-diff.txt")"
    fi
  }
fi

# ------------------------------------------------------------------- undo

# The PC as an undo must leave it is everything below drv_preview_root (and
# drv_pc_registry) but the log, which the run appends to and no undo takes
# back, the RegSvr32 stand-in's record and the Linux programs' run lock,
# which stays. Folder times and change times are no part of it: adding or
# removing an entry changes the folder's time, and no program can set a
# change time.
e2e_pc_skipped() {
  printf '%s\n' "$DRIVE_C/QueltServicePack.log" "$REGSVR32_LOG" \
    "$PREFIX/rolvex-run.lock"
}

# e2e_pc_list: each entry below drv_preview_root but the skipped ones, as
# "PATH TYPE MODE SIZE MTIME CTIME LINK" (tab-separated), sorted.
e2e_pc_list() {
  local root path prune=()
  root=$(drv_preview_root)
  while IFS= read -r path; do
    [[ "$path" == "$root"/* ]] && prune+=(-path "./${path#"$root"/}" -prune -o)
  done < <(e2e_pc_skipped)
  (cd "$root" && find . "${prune[@]}" -printf '%P\t%y\t%m\t%s\t%T@\t%C@\t%l\n') |
    LC_ALL=C sort
}

# e2e_pc_state FILE: the PC's state, for comparing, into FILE. A Wine
# drive C: is large, so checksums are kept by path, size and times: a file
# whose change time is still the same has the same content. Under Wine the
# PC is what Windows sees of it: of the mode only whether the owner may
# write (read-only), and times to 100 ns.
e2e_pc_state() {
  local root list=$E2E_TMP/pc-list sums=$E2E_TMP/pc-sums.${PREFIX##*/} windows=""
  root=$(drv_preview_root)
  [[ "$(drv_platform)" == wine ]] && windows=1
  e2e_pc_list >"$list"
  touch "$sums"
  awk -F'\t' 'FILENAME == ARGV[1] { known[$1 FS $2 FS $3 FS $4]; next }
    $2 == "f" && !(($1 FS $4 FS $5 FS $6) in known) { print $1 }' \
    "$sums" "$list" >"$E2E_TMP/pc-unsummed"
  (cd "$root" && xargs -r -d '\n' md5sum -- <"$E2E_TMP/pc-unsummed") |
    awk -F'\t' 'NR == FNR { times[$1] = $4 FS $5 FS $6; next }
      { path = substr($0, 35); print path FS times[path] FS substr($0, 1, 32) }' \
      "$list" - >>"$sums"
  {
    awk -F'\t' -v windows="$windows" '
      function mode(m) {
        if (!windows) return m
        return substr(m, length(m) - 2, 1) % 4 >= 2 ? "writable" : "read-only"
      }
      function time(t) { return windows ? substr(t, 1, index(t, ".") + 7) : t }
      FILENAME == ARGV[1] { sum[$1 FS $2 FS $3 FS $4] = $5; next }
      $2 == "d" { print $1 " folder " mode($3); next }
      $2 == "f" {
        print $1 " file " mode($3) " " $4 " " time($5) " " sum[$1 FS $4 FS $5 FS $6]
        next
      }
      { print $1 " " $2 " -> " $7 }' "$sums" "$list"
    (cd "$root" && getfattr -R -P -h -d -m - . 2>/dev/null) |
      awk -v root="$root" 'NR == FNR { skipped[substr($0, length(root) + 2)]; next }
        /^# file: / { file = substr($0, 9); next }
        NF && !(file in skipped) { print file " xattr " $0 }' \
        <(e2e_pc_skipped) -
    drv_pc_registry
  } >"$1"
}

# e2e_undo_begin: the next run keeps its backup journal in a folder of its
# own, E2E_BACKUP; the PC as it is now is what its undo must bring back.
E2E_UNDO_COUNT=0
e2e_undo_begin() {
  E2E_UNDO_COUNT=$((E2E_UNDO_COUNT + 1))
  E2E_BACKUP=$E2E_TMP/backup$E2E_UNDO_COUNT
  rm -rf "$E2E_BACKUP"
  ROLVEX_BACKUP=$(drv_program_path "$E2E_BACKUP")
  export ROLVEX_BACKUP
  e2e_pc_state "$E2E_TMP/pc-before"
  touch "$E2E_TMP/pc-mark"
}

# e2e_undo_check WHAT [keep]: undoes the run since e2e_undo_begin, which
# must end with status 0 and leave the PC exactly as it was before the run.
# With "keep", the PC as the run left it is put back afterwards, so that the
# scenario goes on as if no undo had been. A run that journaled nothing must
# have changed nothing.
e2e_undo_check() {
  local what=$1 keep=${2:-} root kept=$E2E_TMP/pc-kept path
  root=$(drv_preview_root)
  unset ROLVEX_BACKUP
  if [[ -n "$keep" ]]; then
    # What the run changed: every entry changed since the mark.
    rm -rf "$kept"
    mkdir -p "$kept"
    (cd "$root" && find . -cnewer "$E2E_TMP/pc-mark" -printf '%P\n') |
      sed '/^$/d' >"$E2E_TMP/pc-changed"
    rsync -aX --files-from="$E2E_TMP/pc-changed" "$root/" "$kept/"
    (cd "$root" && find . -printf '%P\n') | LC_ALL=C sort >"$E2E_TMP/pc-run-paths"
    # The stand-in's record may lie outside the root (Wine).
    rm -f "$E2E_TMP/pc-kept-regsvr32.log"
    [[ -e "$REGSVR32_LOG" ]] && cp -a "$REGSVR32_LOG" "$E2E_TMP/pc-kept-regsvr32.log"
    drv_pc_registry >"$E2E_TMP/pc-run-registry"
    drv_pc_registry_keep "$E2E_TMP/pc-run-registry-kept"
  fi
  if [[ -d "$E2E_BACKUP" ]]; then
    rm -f "$E2E_TMP/undo-report.json"
    # On a PC in order: a failing RegSvr32 or a PATH without it was the
    # run's trial, not the undo's.
    ROLVEX_REGSVR32_EXIT="" E2E_RUN_PATH="" \
      E2E_UNDO_REPORT=$E2E_TMP/undo-report.json drv_undo "$E2E_BACKUP"
    cp "$E2E_TMP/undo.txt" "$E2E_TMP/undo$E2E_UNDO_COUNT.txt"
    [[ $E2E_UNDO_STATUS == 0 ]] ||
      fail "$what: the undo ended with status $E2E_UNDO_STATUS:
$(tr -d '\r' <"$E2E_TMP/undo.txt" | grep -v '^restored\|^removed' | head -20)"
    e2e_check_report "$E2E_TMP/undo-report.json"
  fi
  e2e_pc_state "$E2E_TMP/pc-after"
  cmp -s "$E2E_TMP/pc-before" "$E2E_TMP/pc-after" ||
    fail "$what: the undo did not put the PC back (< before the run, > after the undo):
$(diff "$E2E_TMP/pc-before" "$E2E_TMP/pc-after" | head -30)"
  [[ -n "$keep" ]] || return 0
  rsync -aX -I "$kept/" "$root/"
  rm -f "$REGSVR32_LOG"
  [[ -e "$E2E_TMP/pc-kept-regsvr32.log" ]] && cp -a "$E2E_TMP/pc-kept-regsvr32.log" "$REGSVR32_LOG"
  while IFS= read -r path; do
    rm -rf "${root:?}/$path"
  done < <((cd "$root" && find . -printf '%P\n') | LC_ALL=C sort |
    LC_ALL=C comm -13 "$E2E_TMP/pc-run-paths" -)
  [[ "$(drv_pc_registry)" == "$(cat "$E2E_TMP/pc-run-registry")" ]] ||
    drv_pc_registry_put "$E2E_TMP/pc-run-registry-kept"
}

# With E2E_UNDO set, every run of a scenario keeps a backup journal and is
# undone right after it (e2e_undo_check), and then the PC as the run left
# it is put back for the scenario's own checks. (For scenarios whose runs do
# not overlap: a run started beside drv_start's is undone with the PC
# changing under it.)
#
# A backup keeps what a run replaces, so it must be able to read it: files
# in use are held as a running program's image is, readable by others
# (E2E_LOCK_READABLE; a Linux lock always is). A file nobody may read is
# not replaced when a backup is kept.
if [[ -n "${E2E_UNDO:-}" ]]; then
  export E2E_LOCK_READABLE=1
  eval "e2e_unjournaled_run() $(declare -f drv_run | tail -n +2)"
  drv_run() {
    e2e_undo_begin
    e2e_unjournaled_run "$@"
    e2e_undo_check "run $E2E_UNDO_COUNT (arguments: ${*:-none}, status $E2E_STATUS)" keep
  }
fi
