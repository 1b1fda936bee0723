#!/usr/bin/env bash
# The scenarios that change the PC again, each run of the Linux program
# undone right after it with rolvex-undo (E2E_UNDO, see lib.sh): the undo
# must end with 0 and leave the prefix exactly as it was before the run;
# then the PC as the run left it is put back, and the scenario's own checks
# go on. Arguments, when given, run other scenarios so.
#
# Needs ROLVEX_BIN and ROLVEX_UNDO_BIN (default: beside ROLVEX_BIN).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
export E2E_UNDO=1
export ROLVEX_BIN=${ROLVEX_BIN:-$here/../../build/linux/src/rolvex}
export ROLVEX_UNDO_BIN=${ROLVEX_UNDO_BIN:-$(dirname "$ROLVEX_BIN")/rolvex-undo}
if [[ ! -x "$ROLVEX_UNDO_BIN" ]]; then
  echo "no program at ROLVEX_UNDO_BIN=$ROLVEX_UNDO_BIN" >&2
  exit 2
fi
source "$here/undo_scenarios.sh"
exec bash "$here/linux_scenarios_test.sh" "${@:-${E2E_UNDO_SCENARIOS[@]}}"
