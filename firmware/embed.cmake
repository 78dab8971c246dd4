# Writes OUTPUT, a C++ source holding each file of IMAGES as the byte array
# named by the same position in NAMES, with its size in NAME_size.
set(text "// Generated from the assembled firmware images; do not edit.\n#include \"firmware/builtin.h\"\n\n")
foreach(image name IN ZIP_LISTS IMAGES NAMES)
  file(READ ${image} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
  string(APPEND text "const unsigned char ${name}[${size}] = {\n${bytes}\n};\n")
  string(APPEND text "const unsigned long ${name}_size = ${size};\n\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
