// Symbols: the names a program's source gave its addresses, for the
// debugger. `orvane-asm --symbols FILE` writes them; the debugger loads them
// from a file beside a cartridge, from the firmware directory, from the
// built-in firmware, or by a command, and then shows labels in the
// disassembly and accepts a name wherever an address is typed.
//
// A symbol file is text, one symbol a line:
//
//     ; comment (a line starting with ';' or '#'), blank lines skipped
//     F800 RESET          an address and a label
//     C010 COUNTER equ    a name given by EQU: accepted where an address is
//                         typed, never shown as a label
//
// The address is 1 to 4 hexadecimal digits ("$" or "0x" before it allowed);
// a name is letters, digits and '_', not starting with a digit, at most 63
// characters, and is matched without regard to case (the assembler's rule).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct orv_symbol {
    uint16_t address;
    std::string name;  // upper case
    bool label;        // false: a name given by EQU
};

// Where a set of symbols came from. A name is looked up in the user's set
// first, then the cartridge's, then the firmware's; so is an address.
enum orv_symbol_set : int {
    ORV_SYMBOLS_FIRMWARE,   // the main processor's ROM (bios7020.sym, or built in)
    ORV_SYMBOLS_CARTRIDGE,  // NAME.sym beside NAME.rom or NAME.bin
    ORV_SYMBOLS_USER,       // loaded by a command
    ORV_SYMBOL_SETS,
};

// The most a file may hold, and the longest name.
constexpr size_t ORV_SYMBOL_FILE_MAX = 1 << 22;
constexpr size_t ORV_SYMBOL_NAME_MAX = 63;

// Reads symbol text. Lines that do not read are skipped and described in
// `problems` ("NAME:LINE: ..."); the rest go to `out`.
void orv_symbols_parse(const std::string &text, const std::string &name, std::vector<orv_symbol> &out,
                       std::vector<std::string> &problems);
// The file text for `symbols`, in address order: what orvane-asm writes.
std::string orv_symbols_text(std::vector<orv_symbol> symbols);

// Replaces a set with a file's symbols. Returns "" when it was read (even
// with lines skipped: `note` then says how many and the first problem), or
// why it could not be read (the set is then left as it was).
std::string orv_symbols_load_file(orv_symbol_set set, const std::string &path, std::string &note);
// Replaces a set with symbols in hand (`source` names them for the list).
void orv_symbols_put(orv_symbol_set set, std::vector<orv_symbol> symbols, const std::string &source);
void orv_symbols_clear(orv_symbol_set set);
int orv_symbols_count(orv_symbol_set set);
const std::string &orv_symbols_source(orv_symbol_set set);  // "" when empty
// Every symbol of a set, in address order.
const std::vector<orv_symbol> &orv_symbols_of(orv_symbol_set set);

// The symbol file a cartridge image's symbols are looked for in: NAME.sym
// beside NAME.rom or NAME.bin (any case of the extension); "" for another name.
std::string orv_symbols_beside(const std::string &image_path);
// After a cartridge loaded from a file: its symbols beside it, or none.
// The firmware's: bios7020.sym in the firmware directory, or none. Either
// leaves what the user should know in `orv_symbols_note`.
void orv_symbols_for_cartridge(const std::string &image_path);
void orv_symbols_for_firmware(const std::string &directory);
// What the last automatic load found wrong ("" when nothing).
const std::string &orv_symbols_note();

// A name's address (case does not matter). False when no set holds it.
bool orv_symbol_value(const std::string &name, uint16_t &address);
// The first label at an address, or null (names given by EQU are no labels).
const char *orv_symbol_label_at(unsigned address);
// Every label at an address, in the order they are looked up.
std::vector<std::string> orv_symbol_labels_at(unsigned address);
// A label, or else an EQU name, at an address: how an operand is named.
const char *orv_symbol_name_at(unsigned address);
// "F81D (ADD16)", or "F81D" without a name (a label, or else an EQU name).
std::string orv_symbol_describe(unsigned address);

// Reads an address a user typed in a command: a loaded name, NAME+N or
// NAME-N (N hexadecimal), even one spelt like a number (a label ADD16);
// otherwise hexadecimal as orv_parse_hex_address reads it when the whole
// text is a number ("F800"; "0xF800" and "$F800" are always numbers).
// Returns "" and sets `value`, or the message to show: "No label 'X'...",
// "'X' is not an address...", or the hexadecimal reader's message.
std::string orv_parse_address(const std::string &text, unsigned long max, unsigned long &value);
// The same for a field whose text was always read as hexadecimal as far as
// it goes (the debugger's address field): a name when the text is one,
// otherwise that reading.
std::string orv_read_address_field(const char *text, unsigned long max, unsigned long &value);
// Whether text has the form of a name (NAME, NAME+N, NAME-N), to check a
// script before any symbol is loaded.
bool orv_looks_like_name(const std::string &text);

void symbols_clear_state();
