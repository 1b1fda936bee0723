# Helpers that turn a folder of sources into a library or a test program.
#
# Sources are found by name so that adding a file needs no CMake edit:
#   src/<layer>/*.cc            portable code of the layer
#   src/platform/posix_*.cc     POSIX backends (Linux build only)
#   src/platform/win32_*.cc     Win32 backends (Windows build only)
#   src/platform/qt_*.cc        the Qt window (Linux build with Qt only)
#   src/shell/main_*.cc         program entry points, never in a library
#   tests/<layer>/*_test.cc     tests, with the same prefixes

set(ROLVEX_BACKEND_PREFIXES posix_ win32_ qt_)

# Lists the portable .cc files of `dir` (no backend prefix, no main_) into var.
function(rolvex_portable_sources var dir)
  file(GLOB all CONFIGURE_DEPENDS "${dir}/*.cc")
  set(result "")
  foreach(f IN LISTS all)
    get_filename_component(name "${f}" NAME)
    set(keep TRUE)
    foreach(p IN LISTS ROLVEX_BACKEND_PREFIXES ITEMS main_)
      string(FIND "${name}" "${p}" pos)
      if(pos EQUAL 0)
        set(keep FALSE)
      endif()
    endforeach()
    if(keep)
      list(APPEND result "${f}")
    endif()
  endforeach()
  set(${var} "${result}" PARENT_SCOPE)
endfunction()

# Lists the .cc files of `dir` whose names start with `prefix` into var.
function(rolvex_prefixed_sources var dir prefix)
  file(GLOB result CONFIGURE_DEPENDS "${dir}/${prefix}*.cc")
  set(${var} "${result}" PARENT_SCOPE)
endfunction()

# A static library of `sources` (an interface library while a layer has no
# .cc file yet), seeing the src/ folder and linking `deps`.
function(rolvex_library name sources deps)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${deps})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${deps})
  endif()
endfunction()
