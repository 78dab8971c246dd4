// Names for the files the programs make without asking for one: each takes
// the first number whose name nothing holds yet (a file, a directory, a
// device, a link, even one to nothing), so that nothing is ever replaced.
//     screenshots: orvane-000.png ... orvane-999.png
//     memory dumps: FILE000.bin / FILE000.asm ... (one number for the pair)
#pragma once

#include <string>

// Whether nothing at all stands at `path` (not even a dangling link).
// A name that cannot be looked at (a directory without access) counts as taken.
bool file_name_free(const std::string &path);

// The next free orvane-NNN.png in `directory` ("" for the current one), or
// "" when orvane-000.png to orvane-999.png are all taken.
std::string screenshot_free_name(const std::string &directory);
constexpr const char *SCREENSHOTS_ALL_TAKEN = "orvane-000.png to orvane-999.png all exist";

// The first number from `from` on for which neither FILE%03d.bin nor
// FILE%03d.asm is in `directory` ("" for the current one); -1 when none is
// free below 100000.
int dump_free_number(const std::string &directory, int from);
