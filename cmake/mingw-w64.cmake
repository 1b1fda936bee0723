# Cross build for Windows with Debian's mingw-w64 (posix threads), shared by
# the toolchain files of the two machines, which set ROLVEX_MINGW_PROCESSOR
# (x86_64 or i686) before including it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ROLVEX_MINGW_PROCESSOR})

set(triple ${ROLVEX_MINGW_PROCESSOR}-w64-mingw32)
# The posix-threads variant, so that std::thread and googletest's threading
# work.
find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc-posix ${triple}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++-posix ${triple}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${triple}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Statically linked, so that the programs run on a bare Windows without the
# mingw runtime DLLs; no link time stamp, so that two builds of the same
# source give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

# Test programs run under Wine, in the 64-bit build: this machine's kernel
# may not run 32-bit programs, so the 32-bit build is compiled and linked
# only.
if(ROLVEX_MINGW_PROCESSOR STREQUAL "x86_64")
  find_program(ROLVEX_WINE NAMES wine64 wine)
  if(ROLVEX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ROLVEX_WINE})
  endif()
endif()
