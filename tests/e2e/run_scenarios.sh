# Runs end-to-end scenarios with the driver in $E2E_DRIVER (source it from a
# *_scenarios_test.sh after choosing the driver and the program): each
# scenario in its own temporary folder, one line per scenario and a closing
# "N passed, N failed" count; the exit status says whether all passed.
#
# Usage: run_scenarios PLATFORM_PREFIX [NAME...] - without names, every shared
# scenario_*.sh and the PLATFORM_PREFIX_scenario_*.sh of one platform.
run_scenarios() {
  local here platform=$1
  shift
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  local scripts=()
  if (($#)); then
    for name in "$@"; do scripts+=("$here/${name%.sh}.sh"); done
  else
    scripts=("$here"/scenario_*.sh "$here"/"$platform"_scenario_*.sh)
  fi

  local passed=0 failed=0 script name started err
  for script in "${scripts[@]}"; do
    [[ -e "$script" ]] || continue
    name=$(basename "$script" .sh)
    started=$SECONDS
    err=$(mktemp "/tmp/rolvex-e2e-$name.XXXXXX")
    if E2E_TMP="" bash "$script" 2>"$err"; then
      echo "PASS $name ($((SECONDS - started)) s)"
      passed=$((passed + 1))
    else
      echo "FAIL $name ($((SECONDS - started)) s)"
      sed 's/^/  /' "$err"
      failed=$((failed + 1))
    fi
    rm -f "$err"
  done

  echo "$passed passed, $failed failed"
  ((failed == 0))
}
