// The character mode ("type what the key says"): a character the host
// keyboard types decides the machine keys, so that what appears is what the
// host key shows, wherever the machine has that character.
//
// The machine's keyboard types its characters as key codes of their own:
// most are the character's ASCII code, sent plain; some lie on the shifted
// side of a key, and the machine gets them as its keyboard sends them: its
// Shift key (134) pressed and released, then the shifted code (wxOrvane's
// table, wx_key_table.h, lists both sides of every key). So '=' is 61, but
// '.' is Shift then 46, '/' Shift then 47, '-' Shift then 45. Letters are
// the capitals' codes whatever the case: the machine's letter keys ignore
// Shift. Every press is followed by its release (4), so a character leaves
// no key down.
//
// Besides printable ASCII (all of it but '`', '{', '|' and '}', which the
// machine lacks) the machine has: Return (13) for a newline, Tab (9), its
// Escape (27), its erase key (8) for Delete and Backspace, and on the
// shifted side of the number row (codes below 32) the accented letters of
// the keyboard the table follows: é on the 2 key, è on 7, ç on 9, à on 0.
#pragma once

#include <string>
#include <vector>

// The codes that type code point `c`, releases included; false (and
// nothing appended) when the machine lacks it.
bool char_key_codes(char32_t c, std::vector<unsigned char> &codes);

// Whether code point `c` is typed through the machine's Shift.
bool char_needs_shift(char32_t c);

// The next code point of UTF-8 text from byte `at`, which moves past it; a
// malformed sequence gives U+FFFD and moves one byte.
char32_t utf8_next(const std::string &text, size_t &at);
