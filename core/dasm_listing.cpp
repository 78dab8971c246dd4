#include "dasm_listing.h"

#include "dasm7000.h"
#include "memory.h"
#include "symbols.h"

#include <cstdio>

namespace {

// One instruction with its label lines; returns its length.
unsigned listing_line(unsigned address, std::string &out)
{
    for (const std::string &label : orv_symbol_labels_at(address))
        out += label + ":\n";
    char text[160];
    int length = dasm7000_peek_named(text, address, orv_symbol_name_at);
    char line[220];
    int n = std::snprintf(line, sizeof line, "%04X ", address);
    for (int i = 0; i < 6; i++) {
        if (i < length)
            n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n), "%02X",
                               program_peek_byte_8((address + static_cast<unsigned>(i)) & 0xFFFF));
        else
            n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n), "  ");
    }
    std::snprintf(line + n, sizeof line - static_cast<size_t>(n), "%s\n", text);
    out += line;
    return static_cast<unsigned>(length);
}

} // namespace

std::string orv_dasm_listing(unsigned start, int instructions)
{
    std::string out;
    unsigned address = start & 0xFFFF;
    for (int i = 0; i < instructions; i++)
        address = (address + listing_line(address, out)) & 0xFFFF;
    return out;
}

std::string orv_dasm_listing_range(unsigned start, unsigned last)
{
    std::string out;
    for (unsigned address = start & 0xFFFF; address <= (last & 0xFFFF);)
        address += listing_line(address, out);
    return out;
}
