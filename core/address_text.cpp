#include "address_text.h"

#include <cstdio>

namespace {

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string orv_parse_hex_address(const char *text, unsigned long max, unsigned long &value)
{
    const char *s = text ? text : "";
    while (*s == ' ' || *s == '\t')
        s++;
    // "0x" only before a digit: "0xyz" is the address 0.
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && hex_digit(s[2]) >= 0)
        s += 2;
    else if (*s == '$')
        s++;
    const char *digits = s;
    unsigned long v = 0;
    bool above = false;
    for (; hex_digit(*s) >= 0; s++) {
        // Checked before each digit is taken: nothing ever wraps.
        unsigned long d = static_cast<unsigned long>(hex_digit(*s));
        if (above || v > max / 16 || d > max - v * 16)
            above = true;
        else
            v = v * 16 + d;
    }
    if (s == digits)
        return "No address: type a hexadecimal address first (for example F800)";
    if (above) {
        // The digits as typed; a long run of them is cut short.
        std::string typed(digits, static_cast<size_t>(s - digits));
        if (typed.size() > 16)
            typed = typed.substr(0, 16) + "...";
        char limit[32];
        std::snprintf(limit, sizeof limit, "%lX", max);
        return typed + " is above " + limit + ": type an address from 0 to " + limit;
    }
    value = v;
    return "";
}
