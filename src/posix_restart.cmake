# rolvex-restart: carries out the replacements scheduled for the next restart.
add_executable(rolvex-restart ${CMAKE_CURRENT_SOURCE_DIR}/shell/main_restart.cc)
target_link_libraries(rolvex-restart PRIVATE rolvex_posix)
