cmake_minimum_required(VERSION 3.21)

# Writes the Ninja file of the macOS compile check (see macos-compile-check):
#
#   cmake -DSOURCE_DIR=<repo> -DBUILD_DIR=<tree> -DCHECK_DIR=<out> -DZIG_HOME=<zig>
#         -P macos-compile-check.cmake
#
# One syntax-only compile per translation unit and architecture. Each takes
# the flags its target has in BUILD_DIR/compile_commands.json, less what only
# a Linux build has, and macOS's C and C++ library headers in place of the
# host's. Which sources CMake builds only on macOS, or only elsewhere, comes
# from BUILD_DIR/platform-sources.txt (see cmake/PlatformSources.cmake): the
# macOS ones borrow their target's flags, framework ones are listed, not
# compiled, and those only other platforms build are left out.

# The folders whose sources must compile on macOS; generated sources and the
# stand-in tools (never built there) are left out.
set(portable_folders contract engine codesig forecast live report cli ui tests tools bench)
# arm64 by default: both macOS architectures are LP64 and little-endian, see
# the same library headers and no source here branches on the architecture, so
# a second pass found nothing the first had not, at twice the time. Pass
# -DARCHITECTURES="arm64;x86_64" to compile for both.
if(DEFINED ARCHITECTURES AND NOT ARCHITECTURES STREQUAL "")
  set(architectures ${ARCHITECTURES})
else()
  set(architectures arm64)
endif()
set(deployment_target 13)
# Framework code stays a thin layer: a file past this many non-blank lines holds
# something that belongs in portable code.
set(framework_file_line_limit 60)

# Third-party headers that sit in /usr/include beside glibc's: only these are
# made visible, so no Linux C library header can stand in for macOS's.
set(third_party_headers plist archive.h archive_entry.h benchmark)

# Quotes one argument for /bin/sh, then escapes it for Ninja.
function(shell_quote out text)
  string(REPLACE "'" "'\\''" text "${text}")
  string(REPLACE "$" "$$" text "'${text}'")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(ninja_path out path)
  string(REPLACE "$" "$$" path "${path}")
  string(REPLACE " " "$ " path "${path}")
  string(REPLACE ":" "$:" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# The build's flags as a Mac build would have them: no output, optimisation,
# debug information or sanitizers (none changes what compiles), no
# precompiled header (each file must compile on its own), no GCC-only
# warning, and Qt's macOS platform definitions in place of Linux's.
function(translate_flags out command)
  separate_arguments(arguments UNIX_COMMAND "${command}")
  list(POP_FRONT arguments)
  set(kept "")
  set(skip_next FALSE)
  set(system_next FALSE)
  foreach(argument IN LISTS arguments)
    if(skip_next)
      set(skip_next FALSE)
      continue()
    endif()
    if(system_next)
      set(system_next FALSE)
      if(argument MATCHES "^(.*/mkspecs)/[^/]+$")
        set(argument "${CMAKE_MATCH_1}/macx-clang")
      endif()
      list(APPEND kept -isystem "${argument}")
      continue()
    endif()
    # -include: the build's precompiled header, which a Mac build does without.
    if(argument MATCHES "^-(o|c|MF|MT|MQ|include)$")
      set(skip_next TRUE)
    elseif(argument STREQUAL "-isystem")
      set(system_next TRUE)
    elseif(NOT argument MATCHES "^-(O.*|g.*|M|MD|MMD|fsanitize.*|fno-sanitize.*|Wno-tsan|Winvalid-pch)$")
      list(APPEND kept "${argument}")
    endif()
  endforeach()
  set(quoted "")
  foreach(argument IN LISTS kept)
    shell_quote(argument "${argument}")
    string(APPEND quoted " ${argument}")
  endforeach()
  set(${out} "${quoted}" PARENT_SCOPE)
endfunction()

function(is_portable out file)
  set(${out} FALSE PARENT_SCOPE)
  foreach(folder IN LISTS portable_folders)
    if(file MATCHES "^${SOURCE_DIR}/${folder}/")
      set(${out} TRUE PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

# Header shim: the third-party headers alone.
set(third_party "${CHECK_DIR}/third-party-include")
file(REMOVE_RECURSE "${third_party}")
file(MAKE_DIRECTORY "${third_party}")
foreach(header IN LISTS third_party_headers)
  if(EXISTS "/usr/include/${header}")
    file(CREATE_LINK "/usr/include/${header}" "${third_party}/${header}" SYMBOLIC)
  endif()
endforeach()

# OpenSSL's headers (a Mac build takes Homebrew's openssl@3, whose calls are
# the same), with the two this host keeps in its multiarch folder: they
# describe a 64-bit target, as both Mac architectures are.
if(IS_DIRECTORY "/usr/include/openssl")
  file(MAKE_DIRECTORY "${third_party}/openssl")
  file(GLOB openssl_headers "/usr/include/openssl/*.h" "/usr/include/x86_64-linux-gnu/openssl/*.h")
  foreach(header IN LISTS openssl_headers)
    get_filename_component(name "${header}" NAME)
    file(CREATE_LINK "${header}" "${third_party}/openssl/${name}" SYMBOLIC)
  endforeach()
endif()

# Sources chosen per platform.
set(macos_files "")
set(macos_framework_files "")
set(elsewhere_files "")
if(EXISTS "${BUILD_DIR}/platform-sources.txt")
  file(STRINGS "${BUILD_DIR}/platform-sources.txt" entries)
  foreach(entry IN LISTS entries)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 kind)
    list(GET fields 1 target)
    list(GET fields 2 file)
    if(file MATCHES "\\.(c|cc|cpp|mm)$")
      list(APPEND ${kind}_files "${file}")
      set(target_of_${file} "${target}")
    endif()
  endforeach()
endif()

# Translation units of the build tree, and each target's flags.
file(READ "${BUILD_DIR}/compile_commands.json" database)
string(JSON count LENGTH "${database}")
math(EXPR last "${count} - 1")
set(units "")
foreach(index RANGE ${last})
  string(JSON file GET "${database}" ${index} file)
  string(JSON command GET "${database}" ${index} command)
  is_portable(portable "${file}")
  if(NOT portable)
    continue()
  endif()
  translate_flags(flags "${command}")
  if(command MATCHES "CMakeFiles/([^/ ]+)\\.dir/")
    set(target "${CMAKE_MATCH_1}")
    if(NOT DEFINED flags_of_${target})
      set(flags_of_${target} "${flags}")
    endif()
  endif()
  if(NOT file IN_LIST elsewhere_files)
    list(APPEND units "${file}")
    set(flags_of_unit_${file} "${flags}")
  endif()
endforeach()
foreach(file IN LISTS macos_files)
  set(target "${target_of_${file}}")
  if(NOT DEFINED flags_of_${target})
    message(FATAL_ERROR "${file}: no translation unit of ${target} in ${BUILD_DIR} to borrow flags from")
  endif()
  list(APPEND units "${file}")
  set(flags_of_unit_${file} "${flags_of_${target}}")
endforeach()

# macOS's library headers as Zig lays them out; libc++ first, for its wrappers.
set(system_flags "")
foreach(architecture IN LISTS architectures)
  if(architecture STREQUAL "arm64")
    set(libc_architecture aarch64)
  else()
    set(libc_architecture ${architecture})
  endif()
  set(flags "-target ${architecture}-apple-macos${deployment_target} -nostdinc -nostdinc++")
  foreach(folder libcxx/include libcxxabi/include include
          libc/include/${libc_architecture}-macos.${deployment_target}-none
          libc/include/any-macos.${deployment_target}-any libc/include/any-macos-any)
    string(APPEND flags " -isystem ${ZIG_HOME}/lib/${folder}")
  endforeach()
  string(APPEND flags " -isystem ${third_party} -D_LIBCPP_ABI_VERSION=1 -D_LIBCPP_ABI_NAMESPACE=__1")
  set(system_flags_${architecture} "${flags}")
endforeach()

set(ninja "ninja_required_version = 1.10\n\n")
string(APPEND ninja "rule syntax\n"
  "  command = ${ZIG_HOME}/zig clang $system $flags -fsyntax-only -MD -MF $out.d -MT $out $in && : > $out\n"
  "  depfile = $out.d\n  deps = gcc\n  description = $arch $in\n\n")
foreach(unit IN LISTS units)
  file(RELATIVE_PATH relative "${SOURCE_DIR}" "${unit}")
  ninja_path(input "${unit}")
  foreach(architecture IN LISTS architectures)
    ninja_path(output "${architecture}/${relative}.ok")
    string(APPEND ninja "build ${output}: syntax ${input}\n"
      "  arch = ${architecture}\n"
      "  system = ${system_flags_${architecture}}\n"
      "  flags =${flags_of_unit_${unit}}\n")
  endforeach()
endforeach()
file(WRITE "${CHECK_DIR}/build.ninja" "${ninja}")

list(LENGTH units unit_count)
list(JOIN architectures " and " architecture_names)
message("macOS compile check: ${unit_count} translation units, each for ${architecture_names} macOS ${deployment_target}.")
if(macos_framework_files)
  message("Not compiled here (they need Apple's frameworks):")
  foreach(file IN LISTS macos_framework_files)
    file(STRINGS "${file}" lines)
    list(LENGTH lines line_count)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
    message("  ${relative} (${line_count} non-blank lines)")
    if(line_count GREATER framework_file_line_limit)
      message(FATAL_ERROR "${relative} has grown past ${framework_file_line_limit} non-blank lines: keep framework code thin and move the rest into portable files.")
    endif()
  endforeach()
endif()
