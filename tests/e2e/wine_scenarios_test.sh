#!/usr/bin/env bash
# Runs every end-to-end scenario against Rolvex.exe under Wine: the shared
# scenario_*.sh and the Wine-only wine_scenario_*.sh, each in its own
# temporary folder, one line per scenario and a closing count.
#
# Needs ROLVEX_EXE (the built Rolvex.exe) and the helper programs of the
# Wine driver beside the build (see driver_wine.sh); starts a virtual X
# display itself when there is none. Arguments, when given, are the scenario
# names to run (file names with or without ".sh").
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
export E2E_DRIVER=wine
export ROLVEX_EXE=${ROLVEX_EXE:-$here/../../build/mingw/src/Rolvex.exe}

if [[ ! -f "$ROLVEX_EXE" ]]; then
  echo "no program at ROLVEX_EXE=$ROLVEX_EXE" >&2
  exit 2
fi

source "$here/run_scenarios.sh"
run_scenarios wine "$@"
