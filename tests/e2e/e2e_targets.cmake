# Registers end-to-end scripts with ctest by file name, so that a new script
# needs no CMake edit: every tests/e2e/<prefix>*_test.sh becomes the test
# e2e_<name>, run with bash, with `variable` set to the path of the program
# `target` and ROLVEX_SOURCE_DIR to the source tree. Nothing is registered
# when the target is not part of this build.
function(rolvex_add_e2e_scripts prefix target variable)
  if(NOT TARGET ${target})
    return()
  endif()
  file(GLOB scripts CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${prefix}*_test.sh)
  foreach(script IN LISTS scripts)
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e_${name} COMMAND bash ${script})
    set_tests_properties(e2e_${name} PROPERTIES
      ENVIRONMENT "${variable}=$<TARGET_FILE:${target}>;ROLVEX_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      LABELS e2e
      TIMEOUT 300)
  endforeach()
endfunction()

# The Linux program: tests/e2e/linux_*_test.sh with ROLVEX_BIN.
rolvex_add_e2e_scripts(linux_ rolvex ROLVEX_BIN)

# The scenarios' drv_restart runs rolvex-restart, which stands for the restart.
if(TARGET rolvex-restart AND TEST e2e_linux_scenarios_test)
  set_property(TEST e2e_linux_scenarios_test APPEND PROPERTY ENVIRONMENT
               "ROLVEX_RESTART_BIN=$<TARGET_FILE:rolvex-restart>")
endif()

# The Windows program under Wine: tests/e2e/wine_*_test.sh with ROLVEX_EXE,
# and the helper programs of the Wine driver, built beside the tests
# (tests/e2e/wine_tools/; driver_wine.sh finds them from ROLVEX_EXE).
if(TARGET Rolvex)
  foreach(tool holdopen record_call)
    add_executable(rolvex_wine_${tool} WIN32
                   ${CMAKE_CURRENT_LIST_DIR}/wine_tools/${tool}.cc)
    set_target_properties(rolvex_wine_${tool} PROPERTIES
      OUTPUT_NAME ${tool}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/e2e/wine_tools)
  endforeach()
  rolvex_add_e2e_scripts(wine_ Rolvex ROLVEX_EXE)
  if(TEST e2e_wine_scenarios_test)
    # Every scenario boots Wine several times.
    set_tests_properties(e2e_wine_scenarios_test PROPERTIES TIMEOUT 1800)
  endif()
endif()
