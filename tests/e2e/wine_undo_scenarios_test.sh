#!/usr/bin/env bash
# linux_undo_scenarios_test.sh for Rolvex.exe under Wine: each run undone
# with RolvexUndo.exe, drive C: and the replacements waiting for the restart
# (PendingFileRenameOperations) as they were before it.
#
# Needs ROLVEX_EXE and ROLVEX_UNDO_EXE (default: beside ROLVEX_EXE).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
export E2E_UNDO=1
export ROLVEX_EXE=${ROLVEX_EXE:-$here/../../build/mingw/src/Rolvex.exe}
export ROLVEX_UNDO_EXE=${ROLVEX_UNDO_EXE:-$(dirname "$ROLVEX_EXE")/RolvexUndo.exe}
if [[ ! -f "$ROLVEX_UNDO_EXE" ]]; then
  echo "no program at ROLVEX_UNDO_EXE=$ROLVEX_UNDO_EXE" >&2
  exit 2
fi
source "$here/undo_scenarios.sh"
exec bash "$here/wine_scenarios_test.sh" "${@:-${E2E_UNDO_SCENARIOS[@]}}"
