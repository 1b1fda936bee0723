# The Windows build: Win32 backends and Rolvex.exe.
rolvex_prefixed_sources(win32_sources ${CMAKE_CURRENT_SOURCE_DIR}/platform win32_)
rolvex_library(rolvex_win32 "${win32_sources}" rolvex_platform)
target_link_libraries(rolvex_win32 PUBLIC rolvex_resources user32 gdi32
                      kernel32)

# Rolvex.exe: a GUI program (WIN32 subsystem, no console), statically linked
# (the toolchain file adds -static), with its icon and version resource.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/resources/rolvex_version.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/resources/rolvex_version.h @ONLY)
add_executable(Rolvex WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/shell/main_win32.cc
                            ${CMAKE_CURRENT_SOURCE_DIR}/resources/rolvex.rc)
target_include_directories(Rolvex PRIVATE
                           ${CMAKE_CURRENT_BINARY_DIR}/resources
                           ${CMAKE_CURRENT_SOURCE_DIR}/resources)
set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/resources/rolvex.rc
             APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_CURRENT_SOURCE_DIR}/resources/rolvex.ico)
target_link_libraries(Rolvex PRIVATE rolvex_core rolvex_win32)
