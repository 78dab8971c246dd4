// Addresses the user types (the debuggers' address fields, the headless
// runner's options and scripts): hexadecimal, read the same way everywhere.
#pragma once

#include <string>

// Reads `text`: blanks, an optional "0x" or "$", then hexadecimal digits up
// to the first other character (so "F800 and more" is F800). Returns an
// empty string and sets `value`, or the message to show: no digit at all
// gives "No address: type a hexadecimal address first (for example F800)";
// a value above `max`, however many digits, is refused with a message naming
// the text and the limit ("10000 is above FFFF: type an address from 0 to
// FFFF"), never wrapped. A null `text` reads as empty.
std::string orv_parse_hex_address(const char *text, unsigned long max, unsigned long &value);
