#include "test_support.h"

#include "core/dasm7000.h"
#include "core/memory.h"
#include "core/tms7000.h"
#include "core/trace.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

struct DasmCase {
    std::vector<uint8_t> bytes;
    const char *line;
    int length;
};

// Places bytes in external RAM and disassembles the first instruction.
std::string dasm_at(unsigned address, const std::vector<uint8_t> &bytes, int *length)
{
    for (size_t i = 0; i < bytes.size(); i++)
        ram_2k[address - 0xC000 + i] = bytes[i];
    char buffer[64];
    *length = Dasm7000(buffer, address);
    return buffer;
}

} // namespace

TEST_F(CoreTest, DasmLinesAndLengths)
{
    const DasmCase cases[] = {
        {{0x68}, "ADD B,A", 1},
        {{0x48, 0x05, 0x07}, "ADD R5,R7", 3},
        {{0x18, 0x05}, "ADD R5,A", 2},
        {{0x52, 0x3F}, "MOV #3F,B", 2},
        {{0x72, 0x00, 0xFF}, "MOV #0,R255", 3},
        {{0x77, 0x01, 0x04, 0xFC}, "BTJZ #1,R4,$-4", 4},
        {{0x66, 0x7F}, "BTJO B,A,$+127", 2},
        {{0x26, 0x80, 0x80}, "BTJO #80,A,$-128", 3},
        {{0xE0, 0x00}, "JMP $", 2},
        {{0xE5, 0x03}, "JPI $+3", 2},
        {{0xE3, 0xFE}, "JHS $-2", 2},
        {{0xBA, 0x05}, "DJNZ A,$+5", 2},
        {{0xDA, 0x03, 0xF0}, "DJNZ R3,$-16", 3},
        {{0x8E, 0xF0, 0x00}, "CALL $F000", 3},
        {{0x8C, 0x00, 0x12}, "BR $0012", 3},
        {{0x9C, 0x0C}, "BR *R12", 2},
        {{0xAA, 0x12, 0x34}, "LDA @#1234(B)", 3},
        {{0x8A, 0xF0, 0x00}, "LDA @#F000", 3},
        {{0x88, 0x12, 0x34, 0x05}, "MOVD #1234,R5", 4},
        {{0xA8, 0x00, 0x0A, 0x03}, "MOVD #000A(B),R3", 4},
        {{0x98, 0x02, 0x09}, "MOVD R2,R9", 3},
        {{0xA2, 0x0F, 0x06}, "MOVP #0F,P6", 3},
        {{0x82, 0x06}, "MOVP A,P6", 2},
        {{0x80, 0x24}, "MOVP P36,A", 2},
        {{0x91, 0x30}, "MOVP P48,B", 2},
        {{0xA7, 0x10, 0x00, 0x05}, "BTJZP #10,P0,$+5", 4},
        {{0x96, 0x04, 0xFB}, "BTJOP B,P4,$-5", 3},
        {{0xB0}, "CLRC", 1},
        {{0xC0}, "MOV A,B", 1},
        {{0x62}, "MOV B,A", 1},
        {{0xD5, 0x09}, "CLR R9", 2},
        {{0xDE, 0x09}, "RL R9", 2},
        {{0x08}, "POP ST", 1},
        {{0xFC}, "TRAP 3", 1},
        {{0xE8}, "TRAP 23", 1},
        {{0xD7, 0x05}, "LDVDP A,P5", 2},
        {{0x02}, "Illegal Opcode", 1},
        {{0xB1}, "Illegal Opcode", 1},
        {{0xB7}, "SWAP A", 1},
        {{0xC7}, "SWAP B", 1},
        {{0x00}, "NOP", 1},
    };
    for (const DasmCase &c : cases) {
        int length = 0;
        EXPECT_EQ(dasm_at(0xC100, c.bytes, &length), c.line) << c.line;
        EXPECT_EQ(length, c.length) << c.line;
    }
}

// The disassembler sees what the processor would fetch: register file,
// cartridge area and the wrap from 0xFFFF to 0x0000 all come from the bus.
TEST_F(CoreTest, DasmReadsThroughTheBus)
{
    char buffer[64];
    rom_cart[0x6000] = 0x28;
    rom_cart[0x6001] = 0x7F;
    EXPECT_EQ(Dasm7000(buffer, 0x6000), 2);
    EXPECT_STREQ(buffer, "ADD #7F,A");

    rom_7020[0x7FF] = 0x8C;        // BR at 0xFFFF, address bytes from R0, R1
    tms7000.rf[0] = 0xF8;
    tms7000.rf[1] = 0x10;
    EXPECT_EQ(Dasm7000(buffer, 0xFFFF), 3);
    EXPECT_STREQ(buffer, "BR $F810");

    // The unmapped gap behind the register file reads 0xFF: TRAP 0.
    EXPECT_EQ(Dasm7000(buffer, 0x0090), 1);
    EXPECT_STREQ(buffer, "TRAP 0");
}

TEST_F(CoreTest, DasmEveryOpcodeHasARowExceptTheUndefinedOnes)
{
    const std::set<int> without_row = {0x02, 0x03, 0x04, 0x0C, 0x0F, 0x10, 0x11, 0x20,
                                       0x21, 0x30, 0x31, 0x40, 0x41, 0x50, 0x51, 0x60,
                                       0x61, 0x70, 0x71, 0x81, 0x89, 0x8F, 0x90, 0x99,
                                       0x9F, 0xA0, 0xA1, 0xA9, 0xAF, 0xB1};
    for (int op = 0; op < 256; op++) {
        std::string name = get_opcode(static_cast<unsigned char>(op));
        EXPECT_EQ(name == "ILLEGAL", without_row.count(op) == 1) << std::hex << op;
    }
    EXPECT_STREQ(get_opcode(0xB0), "CLRC");
    EXPECT_STREQ(get_opcode(0x00), "NOP");
    EXPECT_STREQ(get_opcode(0xE8), "TRAP 23");
}

TEST_F(CoreTest, DasmAddressTextRing)
{
    EXPECT_STREQ(set_ea_info(0, 0, 0, EA_REL_PC), "$");
    EXPECT_STREQ(set_ea_info(0, 0, 12, EA_REL_PC), "$+12");
    EXPECT_STREQ(set_ea_info(0, 0, -128, EA_REL_PC), "$-128");
    EXPECT_STREQ(set_ea_info(0, 0xF000, 4, EA_ABS_PC), "$F000");
    EXPECT_STREQ(set_ea_info(0, 0x12, 4, EA_ABS_PC), "$0012");

    // A result survives seven further calls and is reused by the eighth.
    const char *first = set_ea_info(0, 0x1111, 4, EA_ABS_PC);
    for (int i = 0; i < 7; i++)
        set_ea_info(0, 0x2222, 4, EA_ABS_PC);
    EXPECT_STREQ(first, "$1111");
    set_ea_info(0, 0x3333, 4, EA_ABS_PC);
    EXPECT_STREQ(first, "$3333");
}

// The disassembler's length of every opcode is what the processor fetches:
// with tracing of the bus on, the reads of one instruction from RAM show
// how far into its bytes the handler went. Operand bytes are all zero, so
// data reads land in the register file and jumps go nowhere else.
TEST_F(CoreTest, DasmLengthMatchesWhatTheProcessorFetches)
{
    write_file("debug.lst", "program_read_byte_8()\n");
    for (int op = 0; op < 256; op++) {
        orv_clear_globals();
        tms7000_reset(nullptr);
        ram_2k[0x100] = static_cast<uint8_t>(op);
        char line[64];
        int length = Dasm7000(line, 0xC100);

        clear_log_str();
        tms7000.pc.w = 0xC100;
        p_pc = 0xC100;
        tms7000_orv_execute(1);
        int fetched = 0;
        std::string log = log_text();
        for (size_t at = log.find("Reading RAM "); at != std::string::npos;
             at = log.find("Reading RAM ", at + 1)) {
            unsigned address = std::stoul(log.substr(at + 12, 4), nullptr, 16);
            if (address >= 0xC100 && address < 0xC110)
                fetched = std::max(fetched, static_cast<int>(address - 0xC100 + 1));
        }
        EXPECT_EQ(fetched, length) << std::hex << "opcode " << op << ": " << line;
    }
}
