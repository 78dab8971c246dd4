// Instruction encoding: the disassembler's opcode and operand-format tables
// read in reverse. A source line is matched against the text each row would
// print; the first row that fits gives the opcode.
#pragma once

#include "asm_expr.h"

#include <cstdint>
#include <string>
#include <vector>

struct asm_encoded {
    asm_status status = ASM_OK;
    std::string message;
    std::vector<uint8_t> bytes;  // the instruction; its length even on a value error
};

// True for a word that starts an instruction (a table mnemonic's first word
// or a synonym).
bool asm_is_mnemonic(const std::string &word);

// Encodes `mnemonic` with its `operands` (upper case, comments removed) at
// address `ctx.here`. A syntax error means no row takes these operands.
asm_encoded asm_encode(const std::string &mnemonic, const std::string &operands, const asm_eval &ctx);

// Splits an operand list at the commas outside parentheses and quotes, each
// part trimmed. An empty text gives no parts.
std::vector<std::string> asm_split_operands(const std::string &text);

std::string asm_trim(const std::string &text);
