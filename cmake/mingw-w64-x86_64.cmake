# 64-bit Windows: the test twin of Rolvex.exe, run under Wine.
set(ROLVEX_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
