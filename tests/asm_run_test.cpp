#include "test_support.h"

#include "asm_support.h"
#include "core/memory.h"
#include "core/tms7000.h"

#include <cstring>

// A program assembled at build time (tests/programs/sum.asm, through the
// CMake helper) runs on the processor and leaves its known result: the sum
// of its table, 200+100+255+1+65+10+16 = 647 = $0287.
TEST_F(CoreTest, AsmProgramRunsOnTheProcessor)
{
    std::string image = read_file(ORVANE_TEST_PROGRAMS "/sum.bin");
    ASSERT_EQ(image.size(), 2048u);

    // The build-time image is what the library makes of the same source.
    asm_options o;
    o.base = 0xF800;
    o.size = 2048;
    asm_result r = asm7000_assemble_file(ORVANE_TEST_SOURCES "/sum.asm", o);
    ASSERT_TRUE(r.ok) << errors_of(r);
    ASSERT_EQ(std::string(r.image.begin(), r.image.end()), image);

    std::memcpy(rom_7020, image.data(), sizeof rom_7020);
    tms7000_reset(nullptr);
    EXPECT_EQ(tms7000.pc.w, r.symbols["RESET"]);
    const int64_t done = r.symbols.at("DONE");
    for (int i = 0; i < 1000 && tms7000.pc.w != done; i++) {
        p_pc = tms7000.pc.w;
        tms7000_orv_execute(1);
    }
    ASSERT_EQ(tms7000.pc.w, done);
    EXPECT_EQ(ram_2k[0], 0x02);
    EXPECT_EQ(ram_2k[1], 0x87);
    EXPECT_EQ(tms7000.rf[10], 0x02);
    EXPECT_EQ(tms7000.rf[11], 0x87);
    EXPECT_EQ(tms7000.rf[1], 0);      // B counted the table down
    EXPECT_EQ(tms7000.sp, 0x40);      // every CALL returned
}
