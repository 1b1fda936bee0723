# End-to-end tests: scripts that run the built programs. Each
# tests/e2e/<name>_test.sh is one test; linux_*.sh runs against rolvex,
# wine_*.sh against Rolvex.exe under Wine, scenario_*.sh against both.
include(${CMAKE_CURRENT_LIST_DIR}/e2e_targets.cmake OPTIONAL)
