# Turns a binary file into a C++ source that defines it as a byte array:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DNAMESPACE=ns -DSYMBOL=name -P EmbedFile.cmake
# defines `const unsigned char ns::name[]` and `const size_t ns::nameSize`.
# Plain CMake, so the same step serves native, cross and clang builds.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} at build time; do not edit.\n"
  "#include <cstddef>\n\n"
  "namespace ${NAMESPACE} {\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const size_t ${SYMBOL}Size;\n"
  "alignas(8) const unsigned char ${SYMBOL}[${size} + 1] = {\n${bytes}0};\n"
  "const size_t ${SYMBOL}Size = ${size};\n"
  "}  // namespace ${NAMESPACE}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
