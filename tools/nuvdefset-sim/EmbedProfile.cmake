# Writes OUTPUT, a C++ source that defines simtool::kDefaultProfileJson as the bytes of INPUT.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n"
    "#include \"Profile.h\"\n\n"
    "namespace simtool {\n\nconst char kDefaultProfileJson[] = {${bytes}'\\0'};\n\n}  // namespace simtool\n")
