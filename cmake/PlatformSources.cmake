# Sources CMake chooses per platform.
#
#   veristamp_platform_sources(<target> [MACOS <files>...]
#                              [MACOS_FRAMEWORK <files>...] [ELSEWHERE <files>...])
#
# MACOS and MACOS_FRAMEWORK files join the target on macOS, ELSEWHERE files on
# every other platform. Off macOS all of them are also recorded, in
# <build>/platform-sources.txt, for scripts/macos-compile-check: MACOS files
# (C++ on Qt, POSIX and the C library) are compiled there with the target's
# flags; MACOS_FRAMEWORK files (Objective-C++, or C++ on Apple's frameworks)
# cannot be, and are listed; ELSEWHERE files are left out, as no Mac builds
# them.

function(veristamp_platform_sources target)
  cmake_parse_arguments(ARG "" "" "MACOS;MACOS_FRAMEWORK;ELSEWHERE" ${ARGN})
  if(APPLE)
    target_sources(${target} PRIVATE ${ARG_MACOS} ${ARG_MACOS_FRAMEWORK})
    return()
  endif()
  target_sources(${target} PRIVATE ${ARG_ELSEWHERE})
  foreach(kind MACOS MACOS_FRAMEWORK ELSEWHERE)
    string(TOLOWER ${kind} label)
    foreach(file IN LISTS ARG_${kind})
      get_filename_component(path "${file}" ABSOLUTE)
      set_property(GLOBAL APPEND PROPERTY VERISTAMP_PLATFORM_SOURCES "${label}|${target}|${path}")
    endforeach()
  endforeach()
endfunction()

# Called once, at the end of the top-level CMakeLists.txt.
function(veristamp_write_platform_sources)
  get_property(entries GLOBAL PROPERTY VERISTAMP_PLATFORM_SOURCES)
  list(JOIN entries "\n" text)
  file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/platform-sources.txt" CONTENT "${text}\n" @ONLY)
endfunction()
