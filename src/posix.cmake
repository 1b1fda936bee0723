# The Linux build: POSIX backends, the Qt window and the programs.
rolvex_prefixed_sources(posix_sources ${CMAKE_CURRENT_SOURCE_DIR}/platform posix_)
rolvex_library(rolvex_posix "${posix_sources}" rolvex_platform)

# The program rolvex (window backends and composition root).
include(${CMAKE_CURRENT_SOURCE_DIR}/posix_program.cmake OPTIONAL)
# rolvex-restart, which stands for the machine's restart.
include(${CMAKE_CURRENT_SOURCE_DIR}/posix_restart.cmake OPTIONAL)
