# The Windows build: Win32 backends and Rolvex.exe.
rolvex_prefixed_sources(win32_sources ${CMAKE_CURRENT_SOURCE_DIR}/platform win32_)
rolvex_library(rolvex_win32 "${win32_sources}" rolvex_platform)
if(win32_sources)
  target_link_libraries(rolvex_win32 PUBLIC user32 gdi32 kernel32)
endif()
