# Writes the code table text (IN) into a C++ source (OUT) as a byte array, so that the program
# carries the table without a file beside it. OUT is touched only when its content changes.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE ${OUT}.new "// Made from inspect/data/nc_codes.txt when the build is configured.\nnamespace zorvan::inspect {\nextern const char kNcCodesText[];\nextern const unsigned long kNcCodesSize;\nconst char kNcCodesText[] = {${bytes} 0};\nconst unsigned long kNcCodesSize = ${size};\n}  // namespace zorvan::inspect\n")
configure_file(${OUT}.new ${OUT} COPYONLY)
