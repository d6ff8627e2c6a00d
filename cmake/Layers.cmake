# The layers of the build: the property list reader (proplist), then the
# engine and the signature reader (codesig) on it, then live and report on the
# engine, then the window (ui) and the command line (cli). A library's headers are reachable only
# through its own include root, a folder in the build tree holding one link,
# named like the library's source folder, to that folder. A target sees the
# roots of what it links and nothing else, so an include that goes against
# the layers ("report/..." from the engine, "ui/..." from the report) does not
# compile.
#
#   veristamp_include_root(<target> <folder>)

function(veristamp_include_root target folder)
  set(root "${CMAKE_BINARY_DIR}/include-roots/${folder}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)
  target_include_directories(${target} PUBLIC "${root}")
endfunction()
