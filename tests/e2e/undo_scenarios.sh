# The scenarios whose runs change the PC, which the *_undo_scenarios_test.sh
# run with E2E_UNDO (see lib.sh).
E2E_UNDO_SCENARIOS=(scenario_example_pack scenario_standard_pass
  scenario_register_pass scenario_ini_pass scenario_system32_restart
  scenario_failures_ignore scenario_abort)
