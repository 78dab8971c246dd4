// TMS7000 disassembler: one instruction at a machine address to one line of
// text, and its length. Driven by two tables that the assembler also reads,
// in the other direction.
#pragma once

// How one piece of an operand format is decoded.
enum dasm_kind : int {
    DASM_END = 0,   // ends the operand list
    DASM_TEXT = 1,  // the piece as it stands, no operand byte
    DASM_U8 = 2,    // one byte, unsigned
    DASM_S8 = 3,    // one byte, signed
    DASM_U16 = 4,   // big-endian word, unsigned
    DASM_S16 = 5,   // big-endian word, signed
    DASM_REL = 6,   // one displacement byte, printed as "$+n" / "$-n" / "$"
    DASM_ABS = 7,   // big-endian word, printed as "$XXXX"
    DASM_TRAP = 8,  // nothing: the trap number is in the mnemonic text
};

// An operand format: up to four printf pieces, each with its decode kind.
struct dasm_format {
    char piece[4][12];
    int kind[4];
};

// One opcode row: the opcode, its mnemonic text and its operand format.
struct dasm_opcode {
    int opcode;
    char name[8];
    int format;
};

constexpr int DASM_FORMATS = 46;
constexpr int DASM_OPCODES = 228;

extern const dasm_format of[DASM_FORMATS];
extern const dasm_opcode opcodes[DASM_OPCODES];

// `set_ea_info` access codes used by the disassembler.
constexpr int EA_ABS_PC = 2;  // absolute address: "$" and `size` hex digits
constexpr int EA_REL_PC = 3;  // displacement `size`: "$", "$+n", "$-n"

// Writes the line for the instruction at `pc` into `buffer` (64 bytes are
// plenty) and returns its length in bytes, 1 to 4. Reads through the
// program bus, side effects included.
int Dasm7000(char *buffer, unsigned int pc);
// The same line and length, read with `program_peek_byte_8` (no effect): a view
// that lists code leaves the machine as it was.
int dasm7000_peek(char *buffer, unsigned int pc);
// The same, with a jump's target and a direct address ("@#") written as the
// name `name_at` gives it, where it gives one (null: as a number). A
// name may be long: give `buffer` 160 bytes.
int dasm7000_peek_named(char *buffer, unsigned int pc, const char *(*name_at)(unsigned));

// Address text for an operand, in a ring of 8 buffers: each result stays
// valid until eight more calls.
const char *set_ea_info(int what, unsigned int value, int size, int access);

// Mnemonic text of the first row for `opcode`, or "ILLEGAL".
const char *get_opcode(unsigned char opcode);

// Number of operand bytes that follow the opcode for a format row.
int dasm_format_bytes(int format);

void dasm7000_clear_state();
