# The layers of the build: the property list reader (proplist), then the
# engine and the signature reader (codesig) on it, then live and report on the
# engine, then the window (ui) and the command line (cli). A library's headers are reachable only
# through its own include root: a folder in the build tree holding one link
# per public header, under a folder named like the library's source folder. A
# target sees the roots of what it links and nothing else, so an include that
# goes against the layers ("report/..." from the engine, "ui/..." from the
# report) does not compile, and neither does one of another library's
# internal headers. A library reaches its own internal headers through a
# second, private root; a test of those internals asks for it by name.
#
#   veristamp_include_root(<target> <folder> [INTERNAL <header>...])
#   veristamp_reach_internals(<folder> <target>...)   (targets not built here are passed over)

function(veristamp_include_root target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "INTERNAL")
  set(source "${CMAKE_SOURCE_DIR}/${folder}")
  set(internal_root "${CMAKE_BINARY_DIR}/include-roots/internal/${folder}")
  if(NOT IS_SYMLINK "${internal_root}/${folder}")
    file(MAKE_DIRECTORY "${internal_root}")
    file(CREATE_LINK "${source}" "${internal_root}/${folder}" SYMBOLIC)
  endif()
  # The public root is made anew at each configure, so a header made
  # internal or removed leaves no link behind.
  set(public_root "${CMAKE_BINARY_DIR}/include-roots/${folder}")
  if(IS_SYMLINK "${public_root}/${folder}")
    file(REMOVE "${public_root}/${folder}") # a link to the whole folder, from older trees
  endif()
  file(REMOVE_RECURSE "${public_root}/${folder}")
  file(MAKE_DIRECTORY "${public_root}/${folder}")
  # Headers in subfolders keep their subfolder: "ui/views/inspection_view.h".
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE "${source}" "${source}/*.h")
  foreach(header IN LISTS arg_INTERNAL)
    if(NOT header IN_LIST headers)
      message(FATAL_ERROR "${folder}/${header} is listed as internal but does not exist")
    endif()
  endforeach()
  if(arg_INTERNAL)
    list(REMOVE_ITEM headers ${arg_INTERNAL})
  endif()
  foreach(header IN LISTS headers)
    get_filename_component(subfolder "${public_root}/${folder}/${header}" DIRECTORY)
    file(MAKE_DIRECTORY "${subfolder}")
    file(CREATE_LINK "${source}/${header}" "${public_root}/${folder}/${header}" SYMBOLIC)
  endforeach()
  # The private root first: the library's own sources see every header of
  # theirs through one path.
  target_include_directories(${target} BEFORE PRIVATE "${internal_root}")
  target_include_directories(${target} PUBLIC "${public_root}")
endfunction()

function(veristamp_reach_internals folder)
  foreach(target IN LISTS ARGN)
    if(TARGET ${target})
      target_include_directories(${target} BEFORE PRIVATE "${CMAKE_BINARY_DIR}/include-roots/internal/${folder}")
    endif()
  endforeach()
endfunction()
