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
