#include "test_support.h"

#include "core/memory.h"
#include "core/rom_files.h"
#include "core/trace.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string pattern(size_t size, int seed)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i++)
        bytes[i] = static_cast<char>((i * 7 + seed + (i >> 8)) & 0xFF);
    return bytes;
}

bool cart_is_blank(unsigned from, unsigned to)
{
    for (unsigned a = from; a < to; a++)
        if (rom_cart[a] != 0xFF)
            return false;
    return true;
}

} // namespace

TEST_F(CoreTest, BusUnmappedAreasReadFFAndDropWrites)
{
    for (unsigned a : {0x0080u, 0x00FFu, 0x8000u, 0xBFFFu, 0xC800u, 0xF7FFu})
        EXPECT_EQ(program_read_byte_8(a), 0xFF) << std::hex << a;
    EXPECT_EQ(program_read_byte_8(0x0126), 0);  // unimplemented peripheral register
    program_write_byte_8(0xC7FF, 0x5A);
    EXPECT_EQ(program_read_byte_8(0xC7FF), 0x5A);
    program_write_byte_8(0xC800, 0x5A);
    EXPECT_EQ(program_read_byte_8(0xC800), 0xFF);
    // Only the low 16 bits of the address count.
    EXPECT_EQ(program_read_byte_8(0x1C7FF), 0x5A);
}

TEST_F(CoreTest, BusUngatedLinesNameTheBadAccess)
{
    program_read_byte_8(0x0080);
    program_read_byte_8(0x9000);
    program_read_byte_8(0x0126);
    program_write_byte_8(0x0090, 1);
    program_write_byte_8(0x0126, 1);
    program_write_byte_8(0x1234, 1);
    program_write_byte_8(0xA000, 1);
    program_write_byte_8(0xF900, 1);
    EXPECT_EQ(log_text(),
              "00000000 0000 program_read_byte_8():Reading out of bound internal 0080\n"
              "00000000 0000 program_read_byte_8():Reading out of bound 9000\n"
              "00000000 0000 program_read_byte_8():IO unimplemented (read) P38\n"
              "00000000 0000 program_write_byte_8():Writing out of bound internal\n"
              "00000000 0000 program_write_byte_8():IO unimplemented (write) P38\n"
              "00000000 0000 program_write_byte_8():Writing ROM1 1234\n"
              "00000000 0000 program_write_byte_8():Writing out of bound a000\n"
              "00000000 0000 program_write_byte_8():writing ROM2 f900\n");
}

TEST_F(CoreTest, BusGatedLinesFollowDebugList)
{
    write_file("debug.lst", "program_read_byte_8() program_write_byte_8()");
    s_trace_time = 0x1F40;
    p_pc = 0xF812;
    ram_2k[0x12] = 0x3A;
    program_read_byte_8(0xC012);
    program_write_byte_8(0x0005, 0x77);
    EXPECT_EQ(log_text(),
              "00001F40 F812 program_read_byte_8():Reading RAM c012, got 3a\n"
              "00001F40 F812 program_write_byte_8():Called 0005=77\n"
              "00001F40 F812 program_write_byte_8():Writing internal\n");
}

TEST_F(CoreTest, BusWriteWatchRecordsEveryWrite)
{
    uint8_t before = rom_cart[0x1234];
    p_pc = 0xF00D;
    program_write_byte_8(0x1234, 0x99);
    EXPECT_EQ(rom_cart[0x1234], before);
    EXPECT_EQ(get_pc_write(0x1234), 0xF00D);
    p_pc = 0xF123;
    program_write_byte_8(0x9000, 0);  // unmapped, still watched
    program_write_byte_8(0x10005, 0); // low 16 bits
    EXPECT_EQ(get_pc_write(0x9000), 0xF123);
    EXPECT_EQ(get_pc_write(0x0005), 0xF123);
    EXPECT_EQ(get_pc_write(0x0006), 0);
}

TEST_F(CoreTest, PortsReadAndWrite)
{
    or_porta(0x11);
    and_porta(0xFE);
    EXPECT_EQ(io_read_byte_8(0), 0x10);
    io_write_byte_8(0, 0xFF);  // read only
    EXPECT_EQ(get_porta(), 0x10);
    io_write_byte_8(1, 0x0C);
    io_write_byte_8(2, 0x34);
    io_write_byte_8(3, 0x56);
    io_write_byte_8(7, 0x78);  // no such port: nothing, no line
    EXPECT_EQ(get_portb(), 0x0C);
    EXPECT_EQ(io_read_byte_8(2), 0x34);
    EXPECT_EQ(io_read_byte_8(3), 0x56);
    EXPECT_EQ(io_read_byte_8(9), 0);
    EXPECT_EQ(log_text(),
              "00000000 0000 io_write_byte_8():port A is read only !\n"
              "00000000 0000 io_write_byte_8():port C out is 34 raw\n"
              "00000000 0000 io_write_byte_8():port D out is 56 raw\n"
              "00000000 0000 io_read_byte_8():port C read 34 raw\n"
              "00000000 0000 io_read_byte_8():port D read 56 raw\n"
              "00000000 0000 io_read_byte_8():Reading out of bound x0009\n");
}

TEST_F(CoreTest, RomLoadPlacesEachSize)
{
    std::string image = pattern(32768, 3);

    write_file("c8.bin", image.substr(0, 8192));
    EXPECT_EQ(RomLoad("c8.bin"), nullptr);
    EXPECT_TRUE(cart_is_blank(0x200, 0x6000));
    EXPECT_EQ(program_read_byte_8(0x6000), static_cast<uint8_t>(image[0]));
    EXPECT_EQ(program_read_byte_8(0x7FFF), static_cast<uint8_t>(image[0x1FFF]));

    write_file("c16.bin", image.substr(0, 16384));
    EXPECT_EQ(RomLoad("c16.bin"), nullptr);
    EXPECT_TRUE(cart_is_blank(0x200, 0x4000));
    EXPECT_EQ(rom_cart[0x4000], static_cast<uint8_t>(image[0]));
    EXPECT_EQ(rom_cart[0x7FFF], static_cast<uint8_t>(image[0x3FFF]));

    write_file("c31.bin", image.substr(0, 32256));
    EXPECT_EQ(RomLoad("c31.bin"), nullptr);
    EXPECT_EQ(rom_cart[0x200], static_cast<uint8_t>(image[0]));
    EXPECT_EQ(rom_cart[0x7FFF], static_cast<uint8_t>(image[0x7DFF]));

    // A 32 KB image's first 512 bytes never appear on the bus; a longer file
    // is taken as its first 32 KB.
    write_file("c32.bin", image + "extra bytes");
    EXPECT_EQ(RomLoad("c32.bin"), nullptr);
    EXPECT_EQ(rom_cart[0x200], static_cast<uint8_t>(image[0x200]));
    EXPECT_EQ(rom_cart[0x7FFF], static_cast<uint8_t>(image[0x7FFF]));
    EXPECT_EQ(rom_cart[0x1FF], 0);
    EXPECT_EQ(program_read_byte_8(0x100 + 38), 0);
    EXPECT_NE(log_text().find("RomLoad():Rom size is 32Kb\n"), std::string::npos);
}

// A cartridge that does not load leaves the running one exactly as it was,
// whatever the failure; a good one replaces the whole area.
TEST_F(CoreTest, RomLoadFailuresLeaveTheCartridgeAsItWas)
{
    write_file("good.bin", pattern(16384, 1));
    ASSERT_EQ(RomLoad("good.bin"), nullptr);
    const std::string loaded(reinterpret_cast<char *>(rom_cart), sizeof rom_cart);
    auto unchanged = [&] { return std::string(reinterpret_cast<char *>(rom_cart), sizeof rom_cart) == loaded; };

    write_file("odd.bin", pattern(20000, 2));
    EXPECT_STREQ(RomLoad("odd.bin"), "Sorry, unknown rom size");
    EXPECT_TRUE(unchanged());
    EXPECT_NE(log_text().find("RomLoad():Rom size is 19Kb\n"), std::string::npos);
    EXPECT_STREQ(RomLoad("missing.bin"), "fatal error cannot open rom");
    EXPECT_TRUE(unchanged());
    write_file("empty.bin", "");
    EXPECT_STREQ(RomLoad("empty.bin"), "Sorry, unknown rom size");
    EXPECT_TRUE(unchanged());
    mkdir("dir.bin", 0755);
    EXPECT_NE(RomLoad("dir.bin"), nullptr);
    EXPECT_TRUE(unchanged());
    EXPECT_STREQ(RomLoad(nullptr), "fatal error cannot open rom");
    EXPECT_TRUE(unchanged());
    const uint8_t image[100] = {};
    EXPECT_STREQ(RomLoadImage(image, sizeof image), "Sorry, unknown rom size");
    EXPECT_TRUE(unchanged());

    // A smaller good one: the part it does not cover is erased.
    write_file("small.bin", pattern(8192, 3));
    ASSERT_EQ(RomLoad("small.bin"), nullptr);
    EXPECT_TRUE(cart_is_blank(0x200, 0x6000));
    EXPECT_EQ(rom_cart[0x6000], static_cast<uint8_t>(pattern(8192, 3)[0]));
}

TEST_F(CoreTest, MemInitLoadsAndRearrangesFirmware)
{
    std::string bios = pattern(2048, 5);
    std::string io = pattern(4096, 9);
    mkdir("bios", 0755);
    write_file("bios/bios7020.bin", bios);
    write_file("bios/7041b.bin", io);
    // A symbolic link of the copy's name is neither followed nor replaced;
    // the firmware loads all the same.
    write_file("elsewhere.bin", "keep");
    ASSERT_EQ(symlink("elsewhere.bin", "orvane_7041.bin"), 0);
    EXPECT_EQ(MemInit("bios/"), nullptr);  // the double slash is harmless
    EXPECT_EQ(read_file("elsewhere.bin"), "keep");
    struct stat st;
    ASSERT_EQ(lstat("orvane_7041.bin", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(unlink("orvane_7041.bin"), 0);
    EXPECT_EQ(MemInit("bios/"), nullptr);
    EXPECT_EQ(orv_firmware_warnings("bios/"), "");
    EXPECT_EQ(program_read_byte_8(0xF800), static_cast<uint8_t>(bios[0]));
    EXPECT_EQ(program_read_byte_8(0xFFFF), static_cast<uint8_t>(bios[2047]));
    EXPECT_TRUE(cart_is_blank(0x200, 0x8000));

    std::string expected = io.substr(0, 0x400) + io.substr(0x800, 0x400) + io.substr(0x400, 0x400) +
                           io.substr(0xC00, 0x400);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(rom_7041), 4096), expected);
    EXPECT_EQ(read_file("orvane_7041.bin"), expected);
}

TEST_F(CoreTest, MemInitFailuresAndShortImages)
{
    EXPECT_STREQ(MemInit("bios"), "fatal error needs file bios/bios7020.bin");
    mkdir("fw", 0755);
    write_file("fw/bios7020.bin", "\x12\x34");
    EXPECT_STREQ(MemInit("fw"), "fatal error needs file bios/7041b.bin");
    // The processor image is loaded before the I/O image is found missing.
    EXPECT_EQ(rom_7020[0], 0x12);
    EXPECT_EQ(rom_7020[2], 0xFF);  // short images are filled as erased ROM
    EXPECT_EQ(rom_7041[0], 0);

    write_file("fw/7041b.bin", "\x56");
    mkdir("orvane_7041.bin", 0755);  // the copy cannot be written: loading still succeeds
    EXPECT_EQ(MemInit("fw"), nullptr);
    EXPECT_EQ(rom_7041[0], 0x56);
    EXPECT_EQ(rom_7041[1], 0xFF);
    EXPECT_EQ(system("ls -a | grep -c orvane_7041.bin. >/dev/null"), 256);  // no temporary file left

    // The programs warn of images of the wrong size, naming file and size.
    write_file("fw/7041b.bin", std::string(5000, 'x'));
    EXPECT_EQ(orv_firmware_warnings("fw"),
              "fw/bios7020.bin holds 2 bytes, not 2048; the rest of the image reads as 0xFF\n"
              "fw/7041b.bin holds 5000 bytes, not 4096; only the first 4096 are loaded\n");
    mkdir("dir", 0755);
    mkdir("dir/bios7020.bin", 0755);
    EXPECT_EQ(orv_firmware_warnings("dir"), "dir/bios7020.bin is a directory, not a 2048-byte image; it loads as all 0xFF\n");
    EXPECT_EQ(orv_open_reason("dir/7041b.bin"), "No such file or directory");
}
