# The program rolvex: the Qt window (rolvex_qt), the console window (in the
# portable platform library) and the composition root main_posix.cc.
# With ROLVEX_WITH_QT off the program has the console window only.
add_executable(rolvex ${CMAKE_CURRENT_SOURCE_DIR}/shell/main_posix.cc)
target_link_libraries(rolvex PRIVATE rolvex_core rolvex_posix)
if(NOT ROLVEX_WITH_QT)
  target_compile_definitions(rolvex PRIVATE ROLVEX_CONSOLE_ONLY=1)
  return()
endif()

find_package(Qt6 REQUIRED COMPONENTS Widgets)
rolvex_prefixed_sources(qt_sources ${CMAKE_CURRENT_SOURCE_DIR}/platform qt_)
add_library(rolvex_qt STATIC ${qt_sources})
target_include_directories(rolvex_qt PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(rolvex_qt PUBLIC rolvex_platform rolvex_resources
                      Qt6::Widgets)
target_link_libraries(rolvex PRIVATE rolvex_qt)

# The Qt window's own tests run on Qt's offscreen platform.
if(ROLVEX_BUILD_TESTS)
  file(GLOB qt_tests CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/tests/platform/qt_*_test.cc)
  if(qt_tests)
    add_executable(rolvex_qt_tests ${qt_tests})
    set_target_properties(rolvex_qt_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                          ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(rolvex_qt_tests PRIVATE rolvex_qt GTest::gtest
                          GTest::gmock)
    gtest_discover_tests(rolvex_qt_tests DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
endif()
