// Expressions and constants of the TMS7000 assembler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// How a plain run of digits reads. The disassembler prints immediates and
// addresses in hexadecimal without a prefix (#3F, @#F000) and register,
// peripheral and displacement numbers in decimal (R12, P6, $+12), so an
// operand's radix follows the way its field is printed.
enum asm_radix { ASM_DEC, ASM_HEX };

struct asm_value {
    int64_t v = 0;
    bool known = true;  // false while a symbol is not yet defined (first pass)
};

// Results, worst last: a syntax error means "this text is no expression",
// which lets the instruction matcher try another operand form.
enum asm_status { ASM_OK = 0, ASM_VALUE_ERROR = 1, ASM_SYNTAX_ERROR = 2 };

// Finds a symbol: false when no symbol of that name exists at all; a symbol
// that exists but has no value yet sets known = false.
using asm_lookup = std::function<bool(const std::string &name, asm_value *value)>;

struct asm_eval {
    asm_radix radix = ASM_DEC;
    int64_t here = 0;           // value of "$": the address of the line
    bool strict = false;        // undefined symbols are errors (second pass)
    const asm_lookup *lookup = nullptr;
};

// Evaluates the whole of `text` (upper case). On failure `message` says why.
asm_status asm_evaluate(const std::string &text, const asm_eval &ctx, asm_value *out,
                        std::string *message);

// Decodes a string or character constant body with backslash escapes
// (\\ \" \' \n \r \t \0 \xHH) starting after the opening quote at `pos`;
// stops after the closing quote. False on a bad escape or a missing quote.
bool asm_unquote(const std::string &text, size_t *pos, char quote, std::string *bytes,
                 std::string *message);

bool asm_ident_start(char c);
bool asm_ident_char(char c);
bool asm_all_hex(const std::string &word);
