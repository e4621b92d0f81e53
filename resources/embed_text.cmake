# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_text.cmake
# Writes a C++ source that holds the bytes of INPUT as `extern const char SYMBOL[]`
# (NUL-terminated) and its length as `SYMBOL##Size`.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('[^']*',){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated at build time from the string table; do not edit.\n"
  "#include <cstddef>\n"
  "extern const char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}Size;\n"
  "const char ${SYMBOL}[] = {\n${bytes}'\\0'};\n"
  "const std::size_t ${SYMBOL}Size = sizeof(${SYMBOL}) - 1;\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
