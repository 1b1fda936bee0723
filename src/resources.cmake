# Resources both programs embed: the background picture becomes a generated
# source file (rolvex_resources), read with file(READ ... HEX) at configure
# time so that no host program is needed, also not in the mingw-w64 build.
# Changing the picture re-runs the configuration.

set(rolvex_background_bmp ${PROJECT_SOURCE_DIR}/assets/HinterGrund.bmp)
set(rolvex_background_cc ${CMAKE_CURRENT_BINARY_DIR}/background_bitmap.cc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${rolvex_background_bmp})

file(READ ${rolvex_background_bmp} rolvex_hex HEX)
string(LENGTH "${rolvex_hex}" rolvex_hex_length)
math(EXPR rolvex_bmp_size "${rolvex_hex_length} / 2")
# "0xab," for every byte, twelve bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," rolvex_bytes "${rolvex_hex}")
string(REPEAT "0x[0-9a-f][0-9a-f]," 12 rolvex_line)
string(REGEX REPLACE "(${rolvex_line})" "\\1\n" rolvex_bytes "${rolvex_bytes}")
if(rolvex_bmp_size LESS 8)
  message(FATAL_ERROR "${rolvex_background_bmp} is not a bitmap")
endif()

file(WRITE ${rolvex_background_cc}.tmp
"// Generated from assets/HinterGrund.bmp by src/resources.cmake.
#include \"platform/background_bitmap.h\"

namespace rolvex {

const unsigned char kBackgroundBitmap[] = {
${rolvex_bytes}};
const std::size_t kBackgroundBitmapSize = ${rolvex_bmp_size};

}  // namespace rolvex
")
# Only a changed picture touches the generated file (and rebuilds).
configure_file(${rolvex_background_cc}.tmp ${rolvex_background_cc} COPYONLY)
unset(rolvex_hex)
unset(rolvex_bytes)

add_library(rolvex_resources STATIC ${rolvex_background_cc})
target_include_directories(rolvex_resources PUBLIC ${PROJECT_SOURCE_DIR}/src)
