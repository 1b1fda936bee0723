# The Windows build: Win32 backends and Rolvex.exe.
rolvex_prefixed_sources(win32_sources ${CMAKE_CURRENT_SOURCE_DIR}/platform win32_)
rolvex_library(rolvex_win32 "${win32_sources}" rolvex_platform)
