# Sources only a macOS build compiles.
#
#   veristamp_macos_sources(<target> [PORTABLE <files>...] [FRAMEWORK <files>...])
#
# On macOS they join the target. Elsewhere they are recorded in
# <build>/macos-only-sources.txt for scripts/macos-compile-check: PORTABLE
# files (plain C++ that calls Qt or POSIX) are compiled there with the
# target's flags; FRAMEWORK files (Objective-C++, or C++ on Apple's
# frameworks) cannot be, and are listed instead.

function(veristamp_macos_sources target)
  cmake_parse_arguments(ARG "" "" "PORTABLE;FRAMEWORK" ${ARGN})
  if(APPLE)
    target_sources(${target} PRIVATE ${ARG_PORTABLE} ${ARG_FRAMEWORK})
    return()
  endif()
  foreach(kind PORTABLE FRAMEWORK)
    string(TOLOWER ${kind} label)
    foreach(file IN LISTS ARG_${kind})
      get_filename_component(path "${file}" ABSOLUTE)
      set_property(GLOBAL APPEND PROPERTY VERISTAMP_MACOS_SOURCES "${label}|${target}|${path}")
    endforeach()
  endforeach()
endfunction()

# Called once, at the end of the top-level CMakeLists.txt.
function(veristamp_write_macos_sources)
  get_property(entries GLOBAL PROPERTY VERISTAMP_MACOS_SOURCES)
  list(JOIN entries "\n" text)
  file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/macos-only-sources.txt" CONTENT "${text}\n" @ONLY)
endfunction()
