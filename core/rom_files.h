// Checks of the image files the machine loads, for the programs to tell the
// user what the loading rules pass over in silence: firmware files of the
// wrong size (the loader fills short images with 0xFF and ignores extra
// bytes) and the operating system's reason a file cannot be opened.
#pragma once

#include <string>

// One line per firmware file in `directory` that exists but does not have
// its image's size (bios7020.bin 2048 bytes, 7041b.bin 4096), or that is a
// directory; each line names the file and its size and ends with '\n'.
// Empty when both are right (or missing: the loader reports those).
// The programs call it after a successful MemInit and print the lines as
// warnings.
std::string orv_firmware_warnings(const char *directory);

// Why `path` cannot be opened for reading, as the operating system says
// ("No such file or directory"); empty when it can.
std::string orv_open_reason(const char *path);
