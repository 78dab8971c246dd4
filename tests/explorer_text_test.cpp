// The memory explorer's listing and dumps (orvane's debugger), read without
// side effects.
#include "test_support.h"

#include "allegro/explorer_text.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/tms3556.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using ExplorerTextTest = CoreTest;

std::string listing(unsigned long start)
{
    std::vector<char> out(EXPLORER_LISTING_SIZE);
    explorer_listing(start, out.data(), out.size());
    return out.data();
}

std::string dump(explorer_dump_kind kind, unsigned long start, unsigned long end)
{
    FILE *f = std::tmpfile();
    explorer_dump(f, kind, start, end);
    std::string bytes(static_cast<size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(n);
    return bytes;
}

const std::string ZEROS = "0000 0000 0000 0000 0000 0000 0000 0000 ................\n";

TEST_F(ExplorerTextTest, ListingSkipsTheFilesCollapsesRepeatsAndKeepsAFirstByteDifference)
{
    rom_cart[0x230] = 0x01;  // differs from the zero lines only in the first word
    rom_cart[0x24F] = 'A';
    std::string text = listing(0);
    std::string expected = "0200 " + ZEROS + "*\n" +
                           "0230 0100 0000 0000 0000 0000 0000 0000 0000 ................\n" +
                           "0240 0000 0000 0000 0000 0000 0000 0000 0041 ...............A\n" +
                           "0250 " + ZEROS + "*\n8000 ffff ";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_EQ(text.find("\n*\n*\n"), std::string::npos);  // one star per run of repeats
}

TEST_F(ExplorerTextTest, ListingRunsFromTheLastMachineBytesIntoVideoRam)
{
    for (int i = 0x7F0; i < 0x7FF; i++)
        rom_7020[i] = 0xFF;
    rom_7020[0x7FF] = 0x7F;
    tms3556.vram[0] = 'O';
    tms3556.vram[1] = 'K';
    tms3556.vram[0x7FFF] = 1;  // the last line differs from the zeros before it
    std::string text = listing(0xFFF0);
    std::string expected = "fff0 ffff ffff ffff ffff ffff ffff ffff ff7f ...............\x7f\n"
                           "10000 4f4b 0000 0000 0000 0000 0000 0000 0000 OK..............\n";
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_NE(text.find("*\n17ff0 0000 "), std::string::npos);
    EXPECT_EQ(text.find("18000 "), std::string::npos);
}

TEST_F(ExplorerTextTest, DumpsStopAfterFFFFAndGiveOneUnitWhenTheStartLiesAboveTheEnd)
{
    for (int i = 0; i < 18; i++)
        ram_2k[i] = static_cast<uint8_t>(i);
    for (int i = 0x7F0; i < 0x800; i++)
        rom_7020[i] = 0xAB;
    EXPECT_EQ(dump(EXPLORER_DUMP_BIN, 0xFFF0, 0x10010), std::string(16, '\xab'));
    EXPECT_EQ(dump(EXPLORER_DUMP_BIN, 0xC005, 0xC001), std::string(1, '\x05'));
    EXPECT_EQ(dump(EXPLORER_DUMP_HEX, 0xC000, 0xC011),
              "c000   00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f \nc010   10 11 \n");
    rom_7020[0] = 0x00;  // NOP
    rom_7020[1] = 0x00;
    EXPECT_EQ(dump(EXPLORER_DUMP_DASM, 0xF800, 0xF7FF), "f800   00                NOP\n");
}

TEST_F(ExplorerTextTest, ReadingThePeripheralFileLeavesTheVideoProcessorAlone)
{
    tms3556.vdp_acmp = 0x1234;
    tms3556.vdp_regs16[VDP_BAPA - 8] = 0x4000;
    dump(EXPLORER_DUMP_BIN, 0x0100, 0x01FF);  // the reset and status ports among them
    EXPECT_EQ(tms3556.vdp_acmp, 0x1234);
    EXPECT_EQ(tms3556.vdp_regs16[VDP_BAPA - 8], 0x4000);
    EXPECT_EQ(ask_bkpt, 0);
}

TEST_F(ExplorerTextTest, DumpNumbersSkipFilesOfEitherKind)
{
    write_file("FILE000.bin", "old");
    write_file("FILE001.asm", "old");
    EXPECT_EQ(explorer_next_dump_number(0), 2);
    EXPECT_EQ(explorer_next_dump_number(5), 5);
}

} // namespace
