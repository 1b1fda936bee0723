# 32-bit Windows: the Rolvex.exe that ships. On 64-bit Windows it gets the
# 32-bit System32 (SysWOW64) and RegSvr32 its packs are written for, and it
# runs on 32-bit Windows.
set(ROLVEX_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
