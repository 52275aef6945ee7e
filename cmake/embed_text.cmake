# Writes OUTPUT, a C++ source that defines `std::string_view NAMESPACE::FUNCTION()`
# returning the bytes of INPUT exactly, and includes HEADER, which declares it.
# Run at build time (cmake -P), so that an edit of INPUT rebuilds the program.
foreach(variable INPUT OUTPUT HEADER NAMESPACE FUNCTION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "embed_text.cmake: ${variable} is not set")
  endif()
endforeach()

file(READ "${INPUT}" bytes HEX)
if(bytes STREQUAL "")
  message(FATAL_ERROR "embed_text.cmake: ${INPUT} is empty")
endif()
# Sixteen bytes a line, each as a character literal: any byte survives, and
# no delimiter of a raw string can clash with the text.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
       "\\1\n" bytes "${bytes}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
get_filename_component(input_name "${INPUT}" NAME)

file(WRITE "${OUTPUT}.new"
  "// Made from ${input_name} when the program is built; edit that file instead.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace ${NAMESPACE} {\nnamespace {\n\nconstexpr char kBytes[] = {\n${bytes}};\n\n}  // namespace\n\n"
  "std::string_view ${FUNCTION}() { return std::string_view(kBytes, sizeof kBytes); }\n\n"
  "}  // namespace ${NAMESPACE}\n")
# Only a real change touches OUTPUT, so that nothing recompiles for nothing.
configure_file("${OUTPUT}.new" "${OUTPUT}" COPYONLY)
file(REMOVE "${OUTPUT}.new")
