# Package folders built from checked-in sources, for the tests and as samples.
#
#   veristamp_add_packages(<target> SOURCE <dir> OUTPUT <dir>
#                          [ALL] [INSTALL_DESTINATION <dir>])
#
# Walks SOURCE and mirrors it into OUTPUT at build time:
#   - a directory named *.app is copied as it is (modes and symbolic links kept);
#   - a directory named *.dmg becomes a stand-in disk image: a POSIX (pax) tar
#     archive of that name whose root members are its volume/ folder and, when
#     present, its _ReleaseToolRecords/ folder, and nothing else;
#   - a regular file is copied as it is, so a plain file named like a bundle or
#     an image stays a plain file (a README.md at the top of SOURCE is skipped);
#   - any other directory is recreated and walked in turn.
# OUTPUT is rebuilt whole whenever a source file changes, is added or is removed.
#
# The same file runs the walk when started as a script:
#   cmake -DSOURCE=<dir> -DOUTPUT=<dir> -P Packages.cmake

set(_veristamp_stamp_name ".packages-stamp")

if(CMAKE_SCRIPT_MODE_FILE)
  # Git keeps no empty folders, so a volume/ folder always holds something and
  # the records folder may be missing when a disk image has no records at all.
  function(_veristamp_pack_disk_image source destination)
    file(GLOB members LIST_DIRECTORIES true RELATIVE "${source}" "${source}/*")
    list(REMOVE_ITEM members volume _ReleaseToolRecords)
    if(members)
      message(FATAL_ERROR "${source}: a disk image folder holds only volume/ and _ReleaseToolRecords/, not: ${members}")
    endif()
    if(NOT IS_DIRECTORY "${source}/volume")
      message(FATAL_ERROR "${source}: a disk image folder needs a volume/ folder")
    endif()
    set(roots volume)
    if(IS_DIRECTORY "${source}/_ReleaseToolRecords")
      list(APPEND roots _ReleaseToolRecords)
    endif()
    # A fixed modification time, so a volume unpacks alike from one build to the next.
    execute_process(
      COMMAND "${CMAKE_COMMAND}" -E tar cf "${destination}" --format=pax
              "--mtime=2024-01-01 00:00:00Z" -- ${roots}
      WORKING_DIRECTORY "${source}"
      RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${source}: could not write ${destination}")
    endif()
  endfunction()

  function(_veristamp_mirror_folder source destination top)
    file(MAKE_DIRECTORY "${destination}")
    file(GLOB names LIST_DIRECTORIES true RELATIVE "${source}" "${source}/*")
    foreach(name IN LISTS names)
      set(path "${source}/${name}")
      string(TOLOWER "${name}" lowered)
      if(IS_SYMLINK "${path}" OR NOT IS_DIRECTORY "${path}")
        if(NOT (top AND name STREQUAL "README.md"))
          file(COPY "${path}" DESTINATION "${destination}")
        endif()
      elseif(lowered MATCHES "\\.app$")
        file(COPY "${path}" DESTINATION "${destination}")
      elseif(lowered MATCHES "\\.dmg$")
        _veristamp_pack_disk_image("${path}" "${destination}/${name}")
      else()
        _veristamp_mirror_folder("${path}" "${destination}/${name}" FALSE)
      endif()
    endforeach()
  endfunction()

  if(NOT IS_DIRECTORY "${SOURCE}" OR NOT IS_ABSOLUTE "${OUTPUT}" OR OUTPUT STREQUAL "/")
    message(FATAL_ERROR "Packages.cmake needs -DSOURCE=<folder> and an absolute -DOUTPUT=<folder>")
  endif()
  file(REMOVE_RECURSE "${OUTPUT}")
  _veristamp_mirror_folder("${SOURCE}" "${OUTPUT}" TRUE)
  file(TOUCH "${OUTPUT}/${_veristamp_stamp_name}")
  return()
endif()

set(_veristamp_packages_script "${CMAKE_CURRENT_LIST_FILE}")

function(veristamp_add_packages target)
  cmake_parse_arguments(ARG "ALL" "SOURCE;OUTPUT;INSTALL_DESTINATION" "" ${ARGN})
  if(NOT ARG_SOURCE OR NOT ARG_OUTPUT)
    message(FATAL_ERROR "veristamp_add_packages(${target}) needs SOURCE and OUTPUT")
  endif()

  # CONFIGURE_DEPENDS re-runs the glob on every build, so an added or removed
  # file rebuilds the packages too. Symbolic links are left out of the
  # dependencies: a volume's link to /Applications dangles on most hosts.
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS LIST_DIRECTORIES false "${ARG_SOURCE}/*")
  set(dependencies "")
  foreach(input IN LISTS inputs)
    if(NOT IS_SYMLINK "${input}")
      list(APPEND dependencies "${input}")
    endif()
  endforeach()

  # A removed file changes no remaining input, so the list of inputs is an
  # input too; file(CONFIGURE) rewrites it only when the list changes.
  string(REPLACE ";" "\n" listing "${inputs}")
  set(listing_file "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/${target}-inputs.txt")
  file(CONFIGURE OUTPUT "${listing_file}" CONTENT "${listing}\n" @ONLY)

  # The stamp sits inside OUTPUT, so deleting the folder rebuilds it.
  set(stamp "${ARG_OUTPUT}/${_veristamp_stamp_name}")
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND "${CMAKE_COMMAND}" "-DSOURCE=${ARG_SOURCE}" "-DOUTPUT=${ARG_OUTPUT}"
            -P "${_veristamp_packages_script}"
    DEPENDS ${dependencies} "${listing_file}" "${_veristamp_packages_script}"
    COMMENT "Building packages in ${ARG_OUTPUT}"
    VERBATIM)
  set(all "")
  if(ARG_ALL)
    set(all ALL)
  endif()
  add_custom_target(${target} ${all} DEPENDS "${stamp}")

  if(ARG_INSTALL_DESTINATION)
    install(DIRECTORY "${ARG_OUTPUT}/" DESTINATION "${ARG_INSTALL_DESTINATION}"
            USE_SOURCE_PERMISSIONS PATTERN "${_veristamp_stamp_name}" EXCLUDE)
  endif()
endfunction()
