# The end-to-end driver for Rolvex.exe under Wine (see the contract at the
# top of lib.sh). Needs ROLVEX_EXE (the built Rolvex.exe; default: the build
# of the mingw preset), the helper programs built beside it
# (ROLVEX_WINE_TOOLS: holdopen.exe, record_call.exe), wine, and an X display
# (xvfb-run) on which message boxes are answered with xdotool.
#
# How the Windows side is set up, and why:
# - Each drv_init copies a template prefix (made once with wineboot and kept
#   in /tmp, keyed by the Wine version) instead of booting a new one, which
#   takes ten seconds and more. Mono and Gecko are switched off
#   (WINEDLLOVERRIDES), so no installer dialog can stop a run.
# - Windows spells its folder "C:\Windows" and has windir=C:\Windows; Wine
#   spells both "C:\windows". The template sets windir to C:\Windows in the
#   registry's system environment and links drive_c/Windows -> windows and
#   windows/System32 -> system32, so that $WinDir$ resolves as on Windows
#   and the scenarios' host paths ($DRIVE_C/Windows/...) are the folders the
#   program writes to.
# - "RegSvr32" is found by CreateProcess in the program's folder, then the
#   current folder, then the system folders. drv_run starts the program in a
#   folder of its own holding RegSvr32.exe, a copy of record_call.exe, which
#   appends its command line to $REGSVR32_LOG; Wine's own regsvr32 is never
#   reached. Components made by drv_make_component are copies of the same
#   program with their name appended as a trailer.
# - Wine ignores POSIX locks: drv_lock_file starts holdopen.exe, a Windows
#   process that holds the file open without sharing.
# - The exit status of a Windows program arrives through wine in its low 8
#   bits, so 3010 ("restart scheduled") is seen as 194 and mapped back, as
#   1618 ("another run") is from 82 (e2e_full_status).

ROLVEX_EXE=${ROLVEX_EXE:-$E2E_REPO/build/mingw/src/Rolvex.exe}
ROLVEX_WINE_TOOLS=${ROLVEX_WINE_TOOLS:-$(dirname "$ROLVEX_EXE")/../tests/e2e/wine_tools}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
E2E_PREFIX_COUNT=0
E2E_LOCK_PIDS=()
E2E_WINE_TEMPLATE_VERSION=1

drv_platform() { echo wine; }

# The Windows path of a host path: below $DRIVE_C on drive C:, anything else
# through Z:, which Wine maps to "/".
e2e_wine_path() {
  local path=$1
  if [[ "$path" == "$DRIVE_C" || "$path" == "$DRIVE_C"/* ]]; then
    path=${path#"$DRIVE_C"}
    path=${path//\//\\}
    echo "C:${path:-\\}"
  else
    echo "Z:${path//\//\\}"
  fi
}

drv_program_path() { e2e_wine_path "$1"; }

# Makes the template prefix when it is missing; prints its folder.
e2e_wine_template() {
  local version template
  version=$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' '_')
  template=${ROLVEX_WINE_TEMPLATE:-/tmp/rolvex-wine-template-$(id -u)-$version-$E2E_WINE_TEMPLATE_VERSION}
  (
    flock -x 9
    if [[ ! -e "$template/.rolvex-ready" ]]; then
      rm -rf "$template"
      export WINEPREFIX=$template
      wineboot -i >/dev/null 2>&1
      wine reg add \
        'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' \
        /v windir /t REG_SZ /d 'C:\Windows' /f >/dev/null 2>&1
      wineserver -w
      ln -s windows "$template/drive_c/Windows"
      ln -s system32 "$template/drive_c/windows/System32"
      [[ -d "$template/drive_c/windows/system32" ]] && touch "$template/.rolvex-ready"
    fi
  ) 9>"$template.lock"
  [[ -e "$template/.rolvex-ready" ]] || {
    echo "  [$E2E_SCENARIO] could not make the Wine template $template" >&2
    return 1
  }
  echo "$template"
}

# Ends the Wine processes of the current prefix and removes it.
e2e_wine_drop_prefix() {
  [[ -n "${PREFIX:-}" && -d "$PREFIX" ]] || return 0
  WINEPREFIX=$PREFIX wineserver -k 2>/dev/null
  WINEPREFIX=$PREFIX wineserver -w 2>/dev/null
  rm -rf "$PREFIX" "$E2E_WINE_CWD"
}

drv_init() {
  drv_unlock_all
  e2e_wine_drop_prefix
  local template
  template=$(e2e_wine_template) || return 1
  E2E_PREFIX_COUNT=$((E2E_PREFIX_COUNT + 1))
  PREFIX=$E2E_TMP/wine$E2E_PREFIX_COUNT
  rm -rf "$PREFIX"
  cp -a --reflink=auto "$template" "$PREFIX"
  rm -f "$PREFIX/.rolvex-ready"
  DRIVE_C=$PREFIX/drive_c
  REGSVR32_LOG=$PREFIX/regsvr32.log
  export PREFIX DRIVE_C REGSVR32_LOG
  export WINEPREFIX=$PREFIX
  # The current folder of the program: where "RegSvr32" is found.
  E2E_WINE_CWD=$E2E_TMP/wine-cwd$E2E_PREFIX_COUNT
  mkdir -p "$E2E_WINE_CWD"
  cp "$ROLVEX_WINE_TOOLS/record_call.exe" "$E2E_WINE_CWD/RegSvr32.exe"
}

drv_install_program() {
  local folder
  E2E_PROGRAM_WIN="${1:-C:\\ServicePacks}\\Rolvex.exe"
  folder=$(e2e_host_path "${1:-C:\\ServicePacks}")
  mkdir -p "$folder"
  cp "$ROLVEX_EXE" "$folder/Rolvex.exe"
}

drv_make_component() {
  mkdir -p "$(dirname "$1")"
  cp "$ROLVEX_WINE_TOOLS/record_call.exe" "$1"
  printf '\nROLVEX-NAME:%s' "$2" >>"$1"
}

# The X windows of message boxes: the program's boxes are titled "Rolvex"
# (no title of their own) or "Error"; the main window has no title.
e2e_wine_boxes() {
  xdotool search --onlyvisible --name '^(Rolvex|Error)$' 2>/dev/null
}

# Answers the message boxes of process PID from the words given (a, r, i,
# ok), in order, until the process ends. A box that comes when the answers
# are used up gets Enter: it closes an OK box and chooses the first button,
# Abort, of a question, so that a run without an operator never hangs.
e2e_wine_answer_boxes() {
  local pid=$1
  shift
  local -a queue=("$@")
  local box key i
  while kill -0 "$pid" 2>/dev/null; do
    box=$(e2e_wine_boxes | head -n 1)
    if [[ -z "$box" ]]; then
      sleep 0.2
      continue
    fi
    case "${queue[0]:-}" in
      a | r | i) key=${queue[0]} ;;
      *) key=Return ;;
    esac
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.1
    xdotool key "$key" 2>/dev/null
    for ((i = 0; i < 50; i++)); do
      e2e_wine_boxes | grep -qx "$box" || break
      sleep 0.1
    done
    # Only an answer that closed its box is used up; otherwise it is tried
    # again on the box still there.
    if ((i < 50)) && ((${#queue[@]})); then queue=("${queue[@]:1}"); fi
  done
}

drv_start() {
  local E2E_WINE_UNATTENDED=""
  [[ -z "${E2E_ANSWERS:-}" ]] && E2E_WINE_UNATTENDED=1
  e2e_wine_start "$@"
}
# shellcheck disable=SC2086 # the answers are words
drv_finish() { e2e_wine_finish ${E2E_ANSWERS:-}; }
# wine (the Windows process itself) is the child of timeout.
drv_kill() {
  [[ -n "${E2E_WINE_PID:-}" ]] || return 0
  pkill -KILL -P "$E2E_WINE_PID"
  wait "$E2E_WINE_PID" 2>/dev/null
  E2E_WINE_PID=""
}

drv_run() {
  local outer=${E2E_WINE_PID:-}
  drv_start "$@"
  drv_finish
  E2E_WINE_PID=$outer
}

# Wine-only steps for scenarios that work the window themselves (the driver
# contract knows only drv_run):
#   e2e_wine_start [ARGS...]    starts the program in the background
#   e2e_wine_main_window        prints the X window of its main window
#   e2e_wine_finish [ANSWERS]   answers boxes until it ends; sets E2E_STATUS
e2e_wine_start() {
  E2E_STATUS=0
  E2E_WINE_PID=""
  if [[ -z "${DISPLAY:-}" ]]; then
    echo "  [$E2E_SCENARIO] no X display: run under xvfb-run" >&2
    E2E_STATUS=125
    return 0
  fi
  local regsvr32_log unattended=()
  regsvr32_log=$(e2e_wine_path "$REGSVR32_LOG")
  # Wine's desktop is visible: a run the scenario gives no answers to says
  # that nobody is there, so that no box can wait in it.
  [[ -n "${E2E_WINE_UNATTENDED:-}" ]] && unattended=(ROLVEX_UNATTENDED=1)
  (cd "$E2E_WINE_CWD" &&
    exec env ROLVEX_REGSVR32_LOG="$regsvr32_log" "${unattended[@]}" \
      timeout -s KILL 120 wine "$E2E_PROGRAM_WIN" "$@") \
    </dev/null >"${E2E_OUT:-$E2E_TMP/out.txt}" 2>"$E2E_TMP/err.txt" &
  E2E_WINE_PID=$!
}

e2e_wine_main_window() {
  local w i
  for ((i = 0; i < 150; i++)); do
    for w in $(xdotool search --onlyvisible --classname '^rolvex\.exe$' \
      2>/dev/null); do
      if [[ -z "$(xdotool getwindowname "$w" 2>/dev/null)" ]]; then
        echo "$w"
        return 0
      fi
    done
    kill -0 "${E2E_WINE_PID:-0}" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

e2e_wine_finish() {
  [[ -n "${E2E_WINE_PID:-}" ]] || return 0
  e2e_wine_answer_boxes "$E2E_WINE_PID" "$@"
  E2E_STATUS=0
  wait "$E2E_WINE_PID" || E2E_STATUS=$?
  E2E_WINE_PID=""
  e2e_full_status
  if [[ $E2E_STATUS == 137 ]]; then
    E2E_STATUS=124
    echo "  [$E2E_SCENARIO] the program did not end within 120 s" >&2
    WINEPREFIX=$PREFIX wineserver -k 2>/dev/null
  fi
  return 0
}

# e2e_wine_probe_start MODE: probe_window.exe (see there) runs, waiting for
# the program's window, when this returns; e2e_wine_probe_finish waits for
# it and puts its finding into PROBE_RESULT.
e2e_wine_probe_start() {
  PROBE_OUT=$E2E_TMP/probe-$1.txt
  local ready=$E2E_TMP/probe-ready i
  rm -f "$PROBE_OUT" "$ready"
  (cd / && exec wine "$ROLVEX_WINE_TOOLS/probe_window.exe" "$1" \
    "$(e2e_wine_path "$PROBE_OUT")" "$(e2e_wine_path "$ready")") \
    </dev/null >/dev/null 2>&1 &
  PROBE_PID=$!
  for ((i = 0; i < 300; i++)); do
    [[ -e "$ready" ]] && return 0
    sleep 0.1
  done
  echo "  [$E2E_SCENARIO] the probe did not start" >&2
}
e2e_wine_probe_finish() {
  local status=0
  wait "$PROBE_PID" || status=$?
  PROBE_RESULT=$(tr -d '\r' <"$PROBE_OUT" 2>/dev/null)
  ((status == 0)) || PROBE_RESULT="probe status $status $PROBE_RESULT"
}

# The session ends as Windows ends it: WM_QUERYENDSESSION first, then
# WM_ENDSESSION whatever the answer.
drv_end_session() {
  e2e_wine_probe_start endsession
  e2e_wine_probe_finish
  E2E_SESSION_ANSWER=$PROBE_RESULT
}

# holdopen.exe holds the file; the ready file says when it does. With
# E2E_LOCK_READABLE set, others may still read it.
E2E_LOCK_HOLDER=holdopen.exe

drv_lock_file() {
  local ready=$E2E_TMP/lock-ready.$$.$RANDOM
  local share=()
  [[ -n "${E2E_LOCK_READABLE:-}" ]] && share=(read)
  (cd / && exec wine "$ROLVEX_WINE_TOOLS/holdopen.exe" "$(e2e_wine_path "$1")" \
    "$(e2e_wine_path "$ready")" "${share[@]}") </dev/null >/dev/null 2>&1 &
  E2E_LOCK_PIDS+=($!)
  local i
  for ((i = 0; i < 300; i++)); do
    [[ -e "$ready" ]] && break
    sleep 0.1
  done
  [[ -e "$ready" ]] || echo "  [$E2E_SCENARIO] could not lock $1" >&2
  rm -f "$ready"
}

drv_unlock_all() {
  local pid
  for pid in "${E2E_LOCK_PIDS[@]}"; do
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  if ((${#E2E_LOCK_PIDS[@]})); then
    # The server closes a killed process's handles when it sees it gone.
    sleep 0.5
  fi
  E2E_LOCK_PIDS=()
  return 0
}

# Wine's restart: pending renames (PendingFileRenameOperations) are carried
# out by wineboot -r. A restart ends every process, so the locks go first.
drv_restart() {
  drv_unlock_all
  WINEPREFIX=$PREFIX wineboot -r >"$E2E_TMP/restart-out.txt" 2>&1
  local status=$?
  WINEPREFIX=$PREFIX wineserver -w
  return $status
}

# The prefixes are large; they go with the Wine processes when the scenario
# ends, before lib.sh removes the temporary folder.
e2e_wine_exit() {
  drv_unlock_all
  e2e_wine_drop_prefix
  e2e_cleanup
}
trap e2e_wine_exit EXIT

# ------------------------------------------------------------------ preview
# RolvexPreview.exe for the installed program's folder, started as drv_run
# starts the program. Wine keeps its own bookkeeping (registry files, the
# server's state) in the prefix whatever program runs, so what must stay as
# it was is drive C:.
ROLVEX_PREVIEW_EXE=${ROLVEX_PREVIEW_EXE:-$(dirname "$ROLVEX_EXE")/RolvexPreview.exe}
ROLVEX_PACK_EXE=${ROLVEX_PACK_EXE:-$(dirname "$ROLVEX_EXE")/RolvexPack.exe}
drv_pack() {
  E2E_PACK_STATUS=0
  local command=$1 folder
  folder=$(e2e_wine_path "$2")
  shift 2
  (cd "$E2E_WINE_CWD" &&
    exec timeout -s KILL 120 wine "$ROLVEX_PACK_EXE" "$command" "$folder" "$@") \
    </dev/null >"$E2E_TMP/pack.txt" 2>"$E2E_TMP/pack-err.txt" ||
    E2E_PACK_STATUS=$?
}
drv_preview_root() { echo "$DRIVE_C"; }
drv_preview() {
  E2E_PREVIEW_STATUS=0
  local regsvr32_log json=() folder=${E2E_PROGRAM_WIN%\\*}
  regsvr32_log=$(e2e_wine_path "$REGSVR32_LOG")
  [[ -n "${E2E_PREVIEW_FOLDER:-}" ]] && folder=$(e2e_wine_path "$E2E_PREVIEW_FOLDER")
  [[ -n "${E2E_PREVIEW_JSON:-}" ]] &&
    json=(--json "$(e2e_wine_path "$E2E_PREVIEW_JSON")")
  (cd "$E2E_WINE_CWD" &&
    exec env ROLVEX_REGSVR32_LOG="$regsvr32_log" \
      timeout -s KILL 120 wine "$ROLVEX_PREVIEW_EXE" "$folder" \
      "${json[@]}" "$@") \
    </dev/null >"$E2E_TMP/preview.txt" 2>"$E2E_TMP/preview-err.txt" ||
    E2E_PREVIEW_STATUS=$?
  [[ $E2E_PREVIEW_STATUS == 194 ]] && E2E_PREVIEW_STATUS=3010
  return 0
}

# --------------------------------------------------------------------- undo
ROLVEX_UNDO_EXE=${ROLVEX_UNDO_EXE:-$(dirname "$ROLVEX_EXE")/RolvexUndo.exe}
drv_undo() {
  E2E_UNDO_STATUS=0
  local regsvr32_log report="" folder=$1
  shift
  regsvr32_log=$(e2e_wine_path "$REGSVR32_LOG")
  [[ -n "${E2E_UNDO_REPORT:-}" ]] && report=$(e2e_wine_path "$E2E_UNDO_REPORT")
  (cd "$E2E_WINE_CWD" &&
    exec env ROLVEX_REGSVR32_LOG="$regsvr32_log" ROLVEX_REPORT="$report" \
      timeout -s KILL 120 wine "$ROLVEX_UNDO_EXE" "$(e2e_wine_path "$folder")" "$@") \
    </dev/null >"$E2E_TMP/undo.txt" 2>"$E2E_TMP/undo-err.txt" ||
    E2E_UNDO_STATUS=$?
  [[ $E2E_UNDO_STATUS == 82 ]] && E2E_UNDO_STATUS=1618
  return 0
}

# Replacements waiting for the restart are the registry's (MoveFileEx):
# they are part of what a run changes and an undo takes back.
E2E_WINE_SESSION_MANAGER='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'
drv_pc_registry() {
  wine reg query "$E2E_WINE_SESSION_MANAGER" /v PendingFileRenameOperations \
    2>/dev/null | tr -d '\r' | grep -a PendingFileRenameOperations || true
}
drv_pc_registry_keep() {
  wine reg export "$E2E_WINE_SESSION_MANAGER" "$(e2e_wine_path "$1")" /y \
    >/dev/null 2>&1
}
drv_pc_registry_put() {
  wine reg delete "$E2E_WINE_SESSION_MANAGER" /v PendingFileRenameOperations \
    /f >/dev/null 2>&1
  wine reg import "$(e2e_wine_path "$1")" >/dev/null 2>&1
}
