# Writes OUTPUT, a C++ source holding every DER certificate in DIRECTORY as a
# byte array, so the program carries its trust anchors instead of finding them
# on disk. Run with cmake -P; which of them are trusted is decided by their
# pinned fingerprints, not by this list.
file(GLOB certificates "${DIRECTORY}/*.cer")
list(SORT certificates)
set(arrays "")
set(table "")
set(index 0)
foreach(certificate IN LISTS certificates)
  get_filename_component(name "${certificate}" NAME)
  file(READ "${certificate}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "static const unsigned char certificate${index}[] = {${bytes}};\n")
  string(APPEND table "    {\"${name}\", certificate${index}, sizeof certificate${index}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from codesig/anchors by embed_certificates.cmake.\n"
  "#include \"codesig/embedded_certificates.h\"\n\nnamespace codesig {\n\n${arrays}\n"
  "const EmbeddedCertificate embeddedCertificates[] = {\n${table}};\n"
  "const std::size_t embeddedCertificateCount = ${index};\n\n} // namespace codesig\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
