# The end-to-end driver for the Linux program rolvex (see the contract at the
# top of lib.sh). Needs ROLVEX_BIN (the built rolvex) and, for drv_restart,
# ROLVEX_RESTART_BIN (the built rolvex-restart); both default to the build
# of the linux preset.

ROLVEX_BIN=${ROLVEX_BIN:-$E2E_REPO/build/linux/src/rolvex}
ROLVEX_RESTART_BIN=${ROLVEX_RESTART_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-restart}
E2E_PREFIX_COUNT=0
E2E_LOCK_PIDS=()

drv_platform() { echo linux; }

drv_init() {
  drv_unlock_all
  E2E_PREFIX_COUNT=$((E2E_PREFIX_COUNT + 1))
  PREFIX=$E2E_TMP/prefix$E2E_PREFIX_COUNT
  rm -rf "$PREFIX"
  mkdir -p "$PREFIX/dosdevices" "$PREFIX/drive_c"
  ln -s ../drive_c "$PREFIX/dosdevices/c:"
  DRIVE_C=$PREFIX/drive_c
  REGSVR32_LOG=$PREFIX/regsvr32.log
  export PREFIX DRIVE_C REGSVR32_LOG
}

drv_install_program() {
  local folder
  folder=$(e2e_host_path "${1:-C:\\ServicePacks}")
  mkdir -p "$folder"
  cp "$ROLVEX_BIN" "$folder/rolvex"
  E2E_PROGRAM=$folder/rolvex
}

drv_start() {
  local answer answers=$E2E_TMP/answers.$RANDOM
  : >"$answers"
  for answer in ${E2E_ANSWERS:-}; do
    # The console window closes an OK box with an empty line.
    [[ "$answer" == ok ]] && answer=""
    printf '%s\n' "$answer" >>"$answers"
  done
  E2E_STATUS=0
  (cd "$(dirname "$E2E_PROGRAM")" &&
    exec env ROLVEX_PREFIX="$PREFIX" ROLVEX_UI=console \
      ROLVEX_REGSVR32_LOG="$REGSVR32_LOG" \
      PATH="${E2E_RUN_PATH:-$E2E_REPO/tools/regsvr32:$PATH}" \
      "$(command -v timeout)" -k 5 120 "$E2E_PROGRAM" "$@") \
    <"$answers" >"${E2E_OUT:-$E2E_TMP/out.txt}" 2>"$E2E_TMP/err.txt" &
  E2E_RUN_PID=$!
}

drv_finish() {
  [[ -n "${E2E_RUN_PID:-}" ]] || return 0
  E2E_STATUS=0
  wait "$E2E_RUN_PID" || E2E_STATUS=$?
  E2E_RUN_PID=""
  e2e_full_status
  [[ $E2E_STATUS == 124 ]] &&
    echo "  [$E2E_SCENARIO] the program did not end within 120 s" >&2
  return 0
}

# The program is the child of timeout, whose process drv_start knows.
drv_kill() {
  [[ -n "${E2E_RUN_PID:-}" ]] || return 0
  pkill -KILL -P "$E2E_RUN_PID"
  wait "$E2E_RUN_PID" 2>/dev/null
  E2E_RUN_PID=""
}

# The session ends as systemd ends it: SIGTERM; nobody is asked.
drv_end_session() {
  pkill -TERM -P "$E2E_RUN_PID"
  E2E_SESSION_ANSWER=""
}

drv_run() {
  local outer=${E2E_RUN_PID:-}
  drv_start "$@"
  drv_finish
  E2E_RUN_PID=$outer
}

# A background process opens the file, takes an exclusive flock and sleeps
# until drv_unlock_all ends it.
# The program name a run report gives the holder of a locked file.
E2E_LOCK_HOLDER=sleep

drv_lock_file() {
  local ready=$E2E_TMP/lock-ready.$$.$RANDOM
  (exec 9<"$1" && flock -x 9 && : >"$ready" && exec sleep 100000) &
  E2E_LOCK_PIDS+=($!)
  local i
  for ((i = 0; i < 200; i++)); do
    [[ -e "$ready" ]] && break
    sleep 0.05
  done
  rm -f "$ready"
}

drv_unlock_all() {
  local pid
  for pid in "${E2E_LOCK_PIDS[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  E2E_LOCK_PIDS=()
  return 0
}

# A restart ends every process, so the locks go first.
drv_restart() {
  drv_unlock_all
  ROLVEX_PREFIX="$PREFIX" "$ROLVEX_RESTART_BIN" 2>"$E2E_TMP/restart-err.txt"
}

# ------------------------------------------------------------------ preview
# rolvex-preview for the installed program's folder, in the same surroundings
# as drv_run. Nothing of the PC is below $PREFIX but the drives, so the whole
# prefix is what must stay as it was.
ROLVEX_PREVIEW_BIN=${ROLVEX_PREVIEW_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-preview}
ROLVEX_PACK_BIN=${ROLVEX_PACK_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-pack}
drv_pack() {
  E2E_PACK_STATUS=0
  timeout -k 5 120 "$ROLVEX_PACK_BIN" "$@" </dev/null >"$E2E_TMP/pack.txt" \
    2>"$E2E_TMP/pack-err.txt" || E2E_PACK_STATUS=$?
}
drv_preview_root() { echo "$PREFIX"; }
drv_preview() {
  E2E_PREVIEW_STATUS=0
  local json=()
  [[ -n "${E2E_PREVIEW_JSON:-}" ]] && json=(--json "$E2E_PREVIEW_JSON")
  (cd "$(dirname "$E2E_PROGRAM")" &&
    exec env ROLVEX_PREFIX="$PREFIX" ROLVEX_REGSVR32_LOG="$REGSVR32_LOG" \
      PATH="${E2E_RUN_PATH:-$E2E_REPO/tools/regsvr32:$PATH}" \
      timeout -k 5 120 "$ROLVEX_PREVIEW_BIN" \
      "${E2E_PREVIEW_FOLDER:-$(dirname "$E2E_PROGRAM")}" "${json[@]}" "$@") \
    </dev/null >"$E2E_TMP/preview.txt" 2>"$E2E_TMP/preview-err.txt" ||
    E2E_PREVIEW_STATUS=$?
  [[ $E2E_PREVIEW_STATUS == 194 ]] && E2E_PREVIEW_STATUS=3010
  return 0
}

# --------------------------------------------------------------------- undo
ROLVEX_UNDO_BIN=${ROLVEX_UNDO_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-undo}
drv_undo() {
  E2E_UNDO_STATUS=0
  (cd "$(dirname "$E2E_PROGRAM")" &&
    exec env ROLVEX_PREFIX="$PREFIX" ROLVEX_REPORT="${E2E_UNDO_REPORT:-}" \
      ROLVEX_REGSVR32_LOG="$REGSVR32_LOG" \
      PATH="${E2E_RUN_PATH:-$E2E_REPO/tools/regsvr32:$PATH}" \
      "$(command -v timeout)" -k 5 120 "$ROLVEX_UNDO_BIN" "$@") \
    </dev/null >"$E2E_TMP/undo.txt" 2>"$E2E_TMP/undo-err.txt" ||
    E2E_UNDO_STATUS=$?
  [[ $E2E_UNDO_STATUS == 82 ]] && E2E_UNDO_STATUS=1618
  return 0
}
