#include "dasm7000.h"

#include "memory.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Operand formats. The pieces carry their own separators: a blank before the
// first operand, a comma before the others.
const dasm_format of[DASM_FORMATS] = {
    /*  0 */ {{" B,A", "", "", ""}, {1, 0, 0, 0}},
    /*  1 */ {{" R%u", ",A", "", ""}, {2, 1, 0, 0}},
    /*  2 */ {{" R%u", ",B", "", ""}, {2, 1, 0, 0}},
    /*  3 */ {{" R%u", ",R%u", "", ""}, {2, 2, 0, 0}},
    /*  4 */ {{" #%X", ",A", "", ""}, {2, 1, 0, 0}},
    /*  5 */ {{" #%X", ",B", "", ""}, {2, 1, 0, 0}},
    /*  6 */ {{" #%X", ",R%u", "", ""}, {2, 2, 0, 0}},
    /*  7 */ {{" A", ",P%u", "", ""}, {1, 2, 0, 0}},
    /*  8 */ {{" B", ",P%u", "", ""}, {1, 2, 0, 0}},
    /*  9 */ {{" #%02X", ",P%u", "", ""}, {2, 2, 0, 0}},
    /* 10 */ {{" @#%04X", "", "", ""}, {4, 0, 0, 0}},
    /* 11 */ {{" R%u", "", "", ""}, {2, 0, 0, 0}},
    /* 12 */ {{" @#%04X(B)", "", "", ""}, {4, 0, 0, 0}},
    /* 13 */ {{" B,A", ",%s", "", ""}, {1, 6, 0, 0}},
    /* 14 */ {{" R%u,A", ",%s", "", ""}, {2, 6, 0, 0}},
    /* 15 */ {{" R%u,B", ",%s", "", ""}, {2, 6, 0, 0}},
    /* 16 */ {{" R%u", ",R%u", ",%s", ""}, {2, 2, 6, 0}},
    /* 17 */ {{" #%X", ",A,%s", "", ""}, {2, 6, 0, 0}},
    /* 18 */ {{" #%X", ",B,%s", "", ""}, {2, 6, 0, 0}},
    /* 19 */ {{" #%X", ",R%u", ",%s", ""}, {2, 2, 6, 0}},
    /* 20 */ {{" A,P%u", ",%s", "", ""}, {2, 6, 0, 0}},
    /* 21 */ {{" B,P%u", ",%s", "", ""}, {2, 6, 0, 0}},
    /* 22 */ {{" #%02X", ",P%u", ",%s", ""}, {2, 2, 6, 0}},
    /* 23 */ {{"", "", "", ""}, {0, 0, 0, 0}},
    /* 24 */ {{" R%u", "", "", ""}, {2, 0, 0, 0}},
    /* 25 */ {{" A,%s", "", "", ""}, {6, 0, 0, 0}},
    /* 26 */ {{" B,%s", "", "", ""}, {6, 0, 0, 0}},
    /* 27 */ {{" R%u", ",%s", "", ""}, {2, 6, 0, 0}},
    /* 28 */ {{" %s", "", "", ""}, {6, 0, 0, 0}},
    /* 29 */ {{" A,B", "", "", ""}, {1, 0, 0, 0}},
    /* 30 */ {{" B,A", "", "", ""}, {1, 0, 0, 0}},
    /* 31 */ {{" A,R%u", "", "", ""}, {2, 0, 0, 0}},
    /* 32 */ {{" B,R%u", "", "", ""}, {2, 0, 0, 0}},
    /* 33 */ {{" R%u,A", "", "", ""}, {2, 0, 0, 0}},
    /* 34 */ {{" R%u,B", "", "", ""}, {2, 0, 0, 0}},
    /* 35 */ {{" R%u", ",R%u", "", ""}, {2, 2, 0, 0}},
    /* 36 */ {{" #%X,A", "", "", ""}, {2, 0, 0, 0}},
    /* 37 */ {{" #%X,B", "", "", ""}, {2, 0, 0, 0}},
    /* 38 */ {{" #%X", ",R%u", "", ""}, {2, 2, 0, 0}},
    /* 39 */ {{" #%04X", ",R%u", "", ""}, {4, 2, 0, 0}},
    /* 40 */ {{" #%04X(B)", ",R%u", "", ""}, {4, 2, 0, 0}},
    /* 41 */ {{" P%u,A", "", "", ""}, {2, 0, 0, 0}},
    /* 42 */ {{" P%u,B", "", "", ""}, {2, 0, 0, 0}},
    /* 43 */ {{" %s", "", "", ""}, {7, 0, 0, 0}},
    /* 44 */ {{"", "", "", ""}, {8, 0, 0, 0}},
    /* 45 */ {{" *R%u", "", "", ""}, {2, 0, 0, 0}},
};

// Opcode rows, searched from the top: where an opcode has two rows (B0 as
// CLRC and TSTA, 00 as NOP twice) the first one names it. B7 and C7 keep
// their family names although this processor does not run them.
const dasm_opcode opcodes[DASM_OPCODES] = {
    {0x69, "ADC", 0}, {0x19, "ADC", 1}, {0x39, "ADC", 2}, {0x49, "ADC", 3}, {0x29, "ADC", 4},
    {0x59, "ADC", 5}, {0x79, "ADC", 6},
    {0x68, "ADD", 0}, {0x18, "ADD", 1}, {0x38, "ADD", 2}, {0x48, "ADD", 3}, {0x28, "ADD", 4},
    {0x58, "ADD", 5}, {0x78, "ADD", 6},
    {0x63, "AND", 0}, {0x13, "AND", 1}, {0x33, "AND", 2}, {0x43, "AND", 3}, {0x23, "AND", 4},
    {0x53, "AND", 5}, {0x73, "AND", 6},
    {0x83, "ANDP", 7}, {0x93, "ANDP", 8}, {0xA3, "ANDP", 9},
    {0x8C, "BR", 43}, {0x9C, "BR", 45}, {0xAC, "BR", 12},
    {0x66, "BTJO", 13}, {0x16, "BTJO", 14}, {0x36, "BTJO", 15}, {0x46, "BTJO", 16},
    {0x26, "BTJO", 17}, {0x56, "BTJO", 18}, {0x76, "BTJO", 19},
    {0x86, "BTJOP", 20}, {0x96, "BTJOP", 21}, {0xA6, "BTJOP", 22},
    {0x67, "BTJZ", 13}, {0x17, "BTJZ", 14}, {0x37, "BTJZ", 15}, {0x47, "BTJZ", 16},
    {0x27, "BTJZ", 17}, {0x57, "BTJZ", 18}, {0x77, "BTJZ", 19},
    {0x87, "BTJZP", 20}, {0x97, "BTJZP", 21}, {0xA7, "BTJZP", 22},
    {0x8E, "CALL", 43}, {0x9E, "CALL", 45}, {0xAE, "CALL", 12},
    {0xB5, "CLR A", 23},
    {0xC5, "CLR B", 23},
    {0xD5, "CLR", 24},
    {0xB0, "CLRC", 23},
    {0x6D, "CMP", 0}, {0x1D, "CMP", 1}, {0x3D, "CMP", 2}, {0x4D, "CMP", 3}, {0x2D, "CMP", 4},
    {0x5D, "CMP", 5}, {0x7D, "CMP", 6},
    {0x8D, "CMPA", 10}, {0x9D, "CMPA", 45}, {0xAD, "CMPA", 12},
    {0x6E, "DAC", 0}, {0x1E, "DAC", 1}, {0x3E, "DAC", 2}, {0x4E, "DAC", 3}, {0x2E, "DAC", 4},
    {0x5E, "DAC", 5}, {0x7E, "DAC", 6},
    {0xB2, "DEC A", 23},
    {0xC2, "DEC B", 23},
    {0xD2, "DEC", 24},
    {0xBB, "DECD A", 23},
    {0xCB, "DECD B", 23},
    {0xDB, "DECD", 24},
    {0x06, "DINT", 23},
    {0xBA, "DJNZ", 25}, {0xCA, "DJNZ", 26}, {0xDA, "DJNZ", 27},
    {0x6F, "DSB", 0}, {0x1F, "DSB", 1}, {0x3F, "DSB", 2}, {0x4F, "DSB", 3}, {0x2F, "DSB", 4},
    {0x5F, "DSB", 5}, {0x7F, "DSB", 6},
    {0x05, "EINT", 23},
    {0x01, "IDLE", 23},
    {0xB3, "INC A", 23},
    {0xC3, "INC B", 23},
    {0xD3, "INC", 24},
    {0xB4, "INV A", 23},
    {0xC4, "INV B", 23},
    {0xD4, "INV", 24},
    {0xE2, "JEQ", 28},
    {0xE3, "JHS", 28},
    {0xE7, "JL", 28},
    {0xE0, "JMP", 28},
    {0xE1, "JN", 28},
    {0xE6, "JNZ", 28},
    {0xE4, "JP", 28},
    {0xE5, "JPI", 28},
    {0x8A, "LDA", 10}, {0x9A, "LDA", 45}, {0xAA, "LDA", 12},
    {0x0D, "LDSP", 23},
    {0xC0, "MOV", 29}, {0x62, "MOV", 30}, {0xD0, "MOV", 31}, {0xD1, "MOV", 32}, {0x12, "MOV", 33},
    {0x32, "MOV", 34}, {0x42, "MOV", 35}, {0x22, "MOV", 36}, {0x52, "MOV", 37}, {0x72, "MOV", 38},
    {0x88, "MOVD", 39}, {0x98, "MOVD", 35}, {0xA8, "MOVD", 40},
    {0x82, "MOVP", 7}, {0x92, "MOVP", 8}, {0xA2, "MOVP", 9}, {0x80, "MOVP", 41}, {0x91, "MOVP", 42},
    {0x6C, "MPY", 0}, {0x1C, "MPY", 1}, {0x3C, "MPY", 2}, {0x4C, "MPY", 3}, {0x2C, "MPY", 4},
    {0x5C, "MPY", 5}, {0x7C, "MPY", 6},
    {0x00, "NOP", 23},
    {0x64, "OR", 0}, {0x14, "OR", 1}, {0x34, "OR", 2}, {0x44, "OR", 3}, {0x24, "OR", 4},
    {0x54, "OR", 5}, {0x74, "OR", 6},
    {0x84, "ORP", 7}, {0x94, "ORP", 8}, {0xA4, "ORP", 9},
    {0xB9, "POP A", 23},
    {0xC9, "POP B", 23},
    {0xD9, "POP", 24},
    {0x08, "POP ST", 23},
    {0xB8, "PUSH A", 23},
    {0xC8, "PUSH B", 23},
    {0xD8, "PUSH", 24},
    {0x0E, "PUSH ST", 23},
    {0x0B, "RETI", 23},
    {0x0A, "RETS", 23},
    {0xBE, "RL A", 23},
    {0xCE, "RL B", 23},
    {0xDE, "RL", 11},
    {0xBF, "RLC A", 23},
    {0xCF, "RLC B", 23},
    {0xDF, "RLC", 11},
    {0xBC, "RR A", 23},
    {0xCC, "RR B", 23},
    {0xDC, "RR", 11},
    {0xBD, "RRC A", 23},
    {0xCD, "RRC B", 23},
    {0xDD, "RRC", 11},
    {0x6B, "SBB", 0}, {0x1B, "SBB", 1}, {0x3B, "SBB", 2}, {0x4B, "SBB", 3}, {0x2B, "SBB", 4},
    {0x5B, "SBB", 5}, {0x7B, "SBB", 6},
    {0x07, "SETC", 23},
    {0x8B, "STA", 10}, {0x9B, "STA", 45}, {0xAB, "STA", 12},
    {0x09, "STSP", 23},
    {0x6A, "SUB", 0}, {0x1A, "SUB", 1}, {0x3A, "SUB", 2}, {0x4A, "SUB", 3}, {0x2A, "SUB", 4},
    {0x5A, "SUB", 5}, {0x7A, "SUB", 6},
    {0xFF, "TRAP 0", 44},
    {0xFE, "TRAP 1", 44},
    {0xFD, "TRAP 2", 44},
    {0xFC, "TRAP 3", 44},
    {0xFB, "TRAP 4", 44},
    {0xFA, "TRAP 5", 44},
    {0xF9, "TRAP 6", 44},
    {0xF8, "TRAP 7", 44},
    {0xF7, "TRAP 8", 44},
    {0xF6, "TRAP 9", 44},
    {0xF5, "TRAP 10", 44},
    {0xF4, "TRAP 11", 44},
    {0xF3, "TRAP 12", 44},
    {0xF2, "TRAP 13", 44},
    {0xF1, "TRAP 14", 44},
    {0xF0, "TRAP 15", 44},
    {0xEF, "TRAP 16", 44},
    {0xEE, "TRAP 17", 44},
    {0xED, "TRAP 18", 44},
    {0xEC, "TRAP 19", 44},
    {0xEB, "TRAP 20", 44},
    {0xEA, "TRAP 21", 44},
    {0xE9, "TRAP 22", 44},
    {0xE8, "TRAP 23", 44},
    {0xB7, "SWAP A", 23},
    {0xC7, "SWAP B", 23},
    {0xD7, "LDVDP", 7},
    {0xB0, "TSTA", 23},
    {0xC1, "TSTB", 23},
    {0xB6, "XCHB A", 23},
    {0xC6, "XCHB B", 23},
    {0xD6, "XCHB", 11},
    {0x65, "XOR", 0}, {0x15, "XOR", 1}, {0x35, "XOR", 2}, {0x45, "XOR", 3}, {0x25, "XOR", 4},
    {0x55, "XOR", 5}, {0x75, "XOR", 6},
    {0x85, "XORP", 7}, {0x95, "XORP", 8}, {0xA5, "XORP", 9},
    {0x00, "NOP", 23},
};

namespace {

constexpr int EA_BUFFERS = 8;
constexpr int EA_BUFFER_SIZE = 64;
char dasm7000_ea_text[EA_BUFFERS][EA_BUFFER_SIZE];
int dasm7000_ea_index;

// Appends printf output to a line, never past its end.
void append(char *line, size_t size, const char *format, ...) __attribute__((format(printf, 3, 4)));
void append(char *line, size_t size, const char *format, ...)
{
    size_t used = std::strlen(line);
    if (used + 1 >= size)
        return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(line + used, size - used, format, args);
    va_end(args);
}

const dasm_opcode *find_row(int op)
{
    for (const dasm_opcode &row : opcodes)
        if (row.opcode == op)
            return &row;
    return nullptr;
}

} // namespace

const char *set_ea_info(int, unsigned int value, int size, int access)
{
    dasm7000_ea_index = (dasm7000_ea_index + 1) % EA_BUFFERS;
    char *text = dasm7000_ea_text[dasm7000_ea_index];
    if (access == EA_REL_PC) {
        // A displacement counts from the byte after it, the end of the
        // instruction; the target address itself is not shown.
        if (size == 0)
            std::snprintf(text, EA_BUFFER_SIZE, "$");
        else if (size > 0)
            std::snprintf(text, EA_BUFFER_SIZE, "$%s%u", "+", static_cast<unsigned>(size));
        else
            std::snprintf(text, EA_BUFFER_SIZE, "$%s%u", "-", 0u - static_cast<unsigned>(size));
    } else {
        int width = size < 1 ? 1 : size > 8 ? 8 : size;
        std::snprintf(text, EA_BUFFER_SIZE, "%s$%0*X", "", width, value);
    }
    return text;
}

namespace {

// The disassembler proper, reading memory with `rd`; `name_at`, when
// given, names the address of a jump's target or of a direct operand.
int dasm_with(int (*rd)(long), char *buffer, unsigned int pc, const char *(*name_at)(unsigned) = nullptr)
{
    int length = 1;
    int op = rd(pc);
    unsigned p = pc + 1;

    const dasm_opcode *row = find_row(op);
    if (!row) {
        std::strcpy(buffer, "Illegal Opcode");
        return 1;
    }

    char line[EA_BUFFER_SIZE * 2] = "";
    append(line, sizeof line, "%s", row->name);
    const dasm_format &f = of[row->format];
    for (int k = 0; k < 4; k++) {
        const char *piece = f.piece[k];
        switch (f.kind[k]) {
        case DASM_END:
            std::strcpy(buffer, line);
            return length;
        case DASM_TEXT:
            append(line, sizeof line, "%s", piece);
            break;
        case DASM_U8: {
            unsigned v = rd(p++);
            append(line, sizeof line, piece, v);
            length += 1;
            break;
        }
        case DASM_S8: {
            int v = static_cast<signed char>(rd(p++));
            append(line, sizeof line, piece, v);
            length += 1;
            break;
        }
        case DASM_U16:
        case DASM_S16: {
            unsigned v = rd(p) << 8;
            v |= rd(p + 1);
            p += 2;
            // A direct address ("@#%04X", indexed or not) may be named.
            const char *hex = std::strstr(piece, "%04X");
            const char *name = name_at && f.kind[k] == DASM_U16 && std::strstr(piece, "@#") && hex ? name_at(v) : nullptr;
            if (name)
                append(line, sizeof line, "%.*s%s%s", static_cast<int>(hex - piece), piece, name, hex + 4);
            else if (f.kind[k] == DASM_S16)
                append(line, sizeof line, piece, static_cast<int>(static_cast<int16_t>(v)));
            else
                append(line, sizeof line, piece, v);
            length += 2;
            break;
        }
        case DASM_REL: {
            int d = static_cast<signed char>(rd(p++));
            const char *name = name_at ? name_at((p + d) & 0xFFFF) : nullptr;
            append(line, sizeof line, piece, name ? name : set_ea_info(0, (p + d) & 0xFFFF, d, EA_REL_PC));
            length += 1;
            break;
        }
        case DASM_ABS: {
            unsigned v = rd(p) << 8;
            v |= rd(p + 1);
            p += 2;
            const char *name = name_at ? name_at(v) : nullptr;
            append(line, sizeof line, piece, name ? name : set_ea_info(0, v, 4, EA_ABS_PC));
            length += 2;
            break;
        }
        case DASM_TRAP:
            break;
        }
    }
    std::strcpy(buffer, line);
    return length;
}

} // namespace

int Dasm7000(char *buffer, unsigned int pc)
{
    return dasm_with(program_read_byte_8, buffer, pc);
}

int dasm7000_peek(char *buffer, unsigned int pc)
{
    return dasm_with(program_peek_byte_8, buffer, pc);
}

int dasm7000_peek_named(char *buffer, unsigned int pc, const char *(*name_at)(unsigned))
{
    return dasm_with(program_peek_byte_8, buffer, pc, name_at);
}

const char *get_opcode(unsigned char opcode)
{
    const dasm_opcode *row = find_row(opcode);
    return row ? row->name : "ILLEGAL";
}

int dasm_format_bytes(int format)
{
    if (format < 0 || format >= DASM_FORMATS)
        return 0;
    int bytes = 0;
    for (int k = 0; k < 4; k++) {
        switch (of[format].kind[k]) {
        case DASM_END: return bytes;
        case DASM_U8: case DASM_S8: case DASM_REL: bytes += 1; break;
        case DASM_U16: case DASM_S16: case DASM_ABS: bytes += 2; break;
        default: break;
        }
    }
    return bytes;
}

void dasm7000_clear_state()
{
    std::memset(dasm7000_ea_text, 0, sizeof dasm7000_ea_text);
    dasm7000_ea_index = 0;
}
