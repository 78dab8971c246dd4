#include "char_keys.h"

#include "key_queue.h"
#include "wx_key_table.h"

#include <array>

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

// How the machine types one character: its code, through Shift or not.
struct typed {
    bool present;
    bool shifted;
    unsigned char code;
};

// Printable ASCII from the keyboard table: a character on the plain side
// of some key is typed plain, even when another key has it on its shifted
// side ('*' is plain on Pause).
std::array<typed, 128> ascii_table()
{
    std::array<typed, 128> t = {};
    for (size_t i = 0; i < wx_key_row_count; i++) {
        const wx_key_row &row = wx_key_rows[i];
        if (row.plain >= 32 && row.plain < 127)
            t[row.plain] = {true, false, row.plain};
    }
    for (size_t i = 0; i < wx_key_row_count; i++) {
        const wx_key_row &row = wx_key_rows[i];
        if (row.shifted >= 32 && row.shifted < 127 && !t[row.shifted].present)
            t[row.shifted] = {true, true, row.shifted};
    }
    for (char32_t c = 'A'; c <= 'Z'; c++) {
        t[c] = {true, false, static_cast<unsigned char>(c)};
        t[c - 'A' + 'a'] = {true, false, static_cast<unsigned char>(c)};
    }
    t['\n'] = t['\r'] = {true, false, 13};
    t['\t'] = {true, false, 9};
    t[27] = {true, false, 27};
    t[8] = t[127] = {true, false, 8};
    return t;
}

typed lookup(char32_t c)
{
    static const std::array<typed, 128> ascii = ascii_table();
    if (c < 128)
        return ascii[c];
    // The shifted side of the number row below code 32: 2, 7, 9 and 0.
    switch (c) {
    case 0xE9: return {true, true, 17};  // é, on the 2 key
    case 0xE8: return {true, true, 16};  // è, on 7
    case 0xE7: return {true, true, 20};  // ç, on 9
    case 0xE0: return {true, true, 2};   // à, on 0
    default: return {false, false, 0};
    }
}

} // namespace

bool char_key_codes(char32_t c, std::vector<unsigned char> &codes)
{
    typed t = lookup(c);
    if (!t.present)
        return false;
    if (t.shifted) {
        codes.push_back(MACHINE_SHIFT);
        codes.push_back(KEY_RELEASE_CODE);
    }
    codes.push_back(t.code);
    codes.push_back(KEY_RELEASE_CODE);
    return true;
}

bool char_needs_shift(char32_t c)
{
    typed t = lookup(c);
    return t.present && t.shifted;
}

char32_t utf8_next(const std::string &text, size_t &at)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char b = byte(at);
    if (b < 0x80) {
        at++;
        return b;
    }
    int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || at + static_cast<size_t>(extra) >= text.size()) {
        at++;
        return REPLACEMENT;
    }
    char32_t c = b & (0x3F >> extra);
    for (int i = 1; i <= extra; i++) {
        unsigned char next = byte(at + static_cast<size_t>(i));
        if ((next & 0xC0) != 0x80) {
            at++;
            return REPLACEMENT;
        }
        c = c << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not characters.
    static const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    at += static_cast<size_t>(extra) + 1;
    if (c < least[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return REPLACEMENT;
    return c;
}
