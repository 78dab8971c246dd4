#include "test_support.h"

#include "asm_support.h"
#include "core/memory.h"
#include "core/tms7000.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string read_file_at(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Loads a program assembled at build time (tests/programs, through the
// CMake helper) as the internal ROM, checks that it is what the library
// makes of the same source, resets and runs until the label DONE.
asm_result run_program(const std::string &name)
{
    std::string image = read_file_at(ORVANE_TEST_PROGRAMS "/" + name + ".bin");
    asm_options o;
    o.base = 0xF800;
    o.size = 2048;
    asm_result r = asm7000_assemble_file(ORVANE_TEST_SOURCES "/" + name + ".asm", o);
    EXPECT_TRUE(r.ok) << errors_of(r);
    EXPECT_EQ(image.size(), 2048u);
    EXPECT_EQ(std::string(r.image.begin(), r.image.end()), image);
    if (!r.ok || image.size() != sizeof rom_7020)
        return r;

    std::memcpy(rom_7020, image.data(), sizeof rom_7020);
    tms7000_reset(nullptr);
    EXPECT_EQ(tms7000.pc.w, r.symbols["RESET"]);
    const int64_t done = r.symbols["DONE"];
    for (int i = 0; i < 5000 && tms7000.pc.w != done; i++) {
        p_pc = tms7000.pc.w;
        tms7000_orv_execute(1);
    }
    EXPECT_EQ(tms7000.pc.w, done);
    return r;
}

} // namespace

// The sum of the table, 200+100+255+1+65+10+16 = 647 = $0287.
TEST_F(CoreTest, AsmProgramRunsOnTheProcessor)
{
    run_program("sum");
    EXPECT_EQ(ram_2k[0], 0x02);
    EXPECT_EQ(ram_2k[1], 0x87);
    EXPECT_EQ(tms7000.rf[10], 0x02);
    EXPECT_EQ(tms7000.rf[11], 0x87);
    EXPECT_EQ(tms7000.rf[1], 0);   // B counted the table down
    EXPECT_EQ(tms7000.sp, 0x40);   // every CALL returned
}

// Each step of the program writes one byte; the bytes say that every
// operand form was encoded the way the processor fetches it.
TEST_F(CoreTest, AsmOperandFormsRunAsAssembled)
{
    run_program("forms");
    const std::vector<uint8_t> want = {0x13, 0x30, 0x03, 0xAA, 0x77, 0x02, 0x00, 0x47, 0x5A,
                                       0xC3, 0xFF, 0x00, 0x22, 0x03, 0xAB, 0x00};
    std::vector<uint8_t> got(ram_2k + 0x10, ram_2k + 0x10 + want.size());
    EXPECT_EQ(hex_bytes(got), hex_bytes(want));
    EXPECT_EQ(tms7000.sp, 0x60);
}
