// Disassembly with the program's symbols (symbols.h): a "NAME:" line before
// every labelled address, and jump targets and direct operands written as
// their names. The lines are otherwise those of the debugger's view: "%04X "
// address, six byte columns, the instruction. Memory is read without
// effects (program_peek_byte_8). For the debugger's labelled view and for
// dumps; the debugger's own view (disass_box) stays as it is.
#pragma once

#include <string>

// `instructions` instructions from `start` (label lines not counted).
std::string orv_dasm_listing(unsigned start, int instructions);
// Every instruction that starts from `start` up to `last` (inclusive; an
// instruction may run past it), without wrapping past FFFF.
std::string orv_dasm_listing_range(unsigned start, unsigned last);
