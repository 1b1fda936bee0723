# Helpers for the libraries and test programs. Every source is named in the
# CMakeLists.txt of its folder: a renamed or missing file breaks the build
# instead of silently dropping a program or a test.

# A static library of `sources` that sees the src/ folder and links `deps`.
#   rolvex_library(name SOURCES a.cc b.cc DEPS lib ...)
function(rolvex_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${arg_DEPS})
endfunction()

# A GoogleTest program of `sources`, linking `deps`, registered with ctest.
#   rolvex_test_program(name SOURCES a_test.cc ... DEPS lib ...
#                       [ENVIRONMENT VAR=value ...])
# Under Wine each program is one test: discovery would start Wine once per
# test name at build time.
function(rolvex_test_program name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                        ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${arg_DEPS} GTest::gtest_main
                        GTest::gmock)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    if(arg_ENVIRONMENT)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
    endif()
  elseif(arg_ENVIRONMENT)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
