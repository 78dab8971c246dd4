// The video processor as the main processor reaches it: register port,
// data port with its two pointers, reset and prepare-read ports, watches.
#include "test_support.h"

#include "core/loop.h"
#include "core/memory.h"
#include "core/tms3556.h"

#include <string>

namespace {

void reg_w(int b) { program_write_byte_8(0x12D, static_cast<unsigned char>(b)); }
void data_w(int b) { program_write_byte_8(0x12E, static_cast<unsigned char>(b)); }
int data_r() { return program_read_byte_8(0x124); }
void prepare_read() { EXPECT_EQ(program_read_byte_8(0x128), 0xFF); }

void load_row_col(unsigned v)
{
    reg_w(0x21);
    reg_w(v & 0xFF);
    reg_w((v >> 8) & 0xFF);
}

// Loads a 16-bit register through ROW and COL, with the trailing byte the
// port swallows after every 16-bit register but BAMP.
void load16(int n, unsigned value)
{
    load_row_col(value - (n >= VDP_BAGC0 && n <= VDP_BAGC3 ? 2 : 1));
    reg_w(n);
    reg_w(0xEE);
    if (n != VDP_BAMP)
        reg_w(0xEE);
}

uint16_t r16(int n) { return tms3556.vdp_regs16[n - 8]; }

} // namespace

TEST_F(CoreTest, RegisterPortPhases)
{
    // Pointer bytes that name register 0 select nothing.
    reg_w(0x00);
    reg_w(0x30);
    EXPECT_EQ(tms3556.sel, 0);
    reg_w(0x07);
    reg_w(0xA0);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_CM4], 0xA0);
    EXPECT_EQ(tms3556.sel, 0);

    // One pointer byte, two registers.
    reg_w(0x21);
    reg_w(0x34);
    reg_w(0x12);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_COL], 0x34);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_ROW], 0x12);
    EXPECT_EQ(tms3556.colrow, 0x1234);
    EXPECT_EQ(tms3556.row_col_written, 1);
    EXPECT_EQ(tms3556.sel, 0);

    // 16-bit loads: +1, +2 for the generators; BAMP alone ends the sequence.
    reg_w(0x09);
    reg_w(0x77);
    EXPECT_EQ(r16(VDP_BAMP), 0x1235);
    EXPECT_EQ(tms3556.sel, 0);
    EXPECT_EQ(tms3556.bamp_written, 1);
    EXPECT_EQ(tms3556.row_col_written, 0);
    reg_w(0x0A);
    reg_w(0x77);
    EXPECT_EQ(r16(VDP_BAPA), 0x1235);
    EXPECT_EQ(tms3556.bamp_written, 0);
    reg_w(0x07);  // swallowed, not a pointer byte
    reg_w(0x05);  // so this one is: CM2
    reg_w(0x08);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_CM2], 0x08);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_CM4], 0xA0);
    reg_w(0x0B);
    reg_w(0);
    reg_w(0);
    EXPECT_EQ(r16(VDP_BAGC0), 0x1236);

    // COL queued before a 16-bit register; 0xFFFF + 1 wraps to 0.
    load_row_col(0xFF00);
    reg_w(0xF1);
    reg_w(0xFF);
    reg_w(0x00);
    EXPECT_EQ(r16(VDP_BAMTF), 0x0000);
    EXPECT_EQ(tms3556.sel, 2);
}

TEST_F(CoreTest, PointersWriteAndReadWithOppositeSenses)
{
    load_row_col(0x0100);
    data_w(0x11);
    data_w(0x22);
    EXPECT_EQ(tms3556.vram[0x100], 0x11);
    EXPECT_EQ(tms3556.vram[0x101], 0x22);
    EXPECT_EQ(tms3556.vdp_acmpxy, 0x102);

    load16(VDP_BAMP, 0x2000);
    data_w(0x33);
    EXPECT_EQ(tms3556.vram[0x2000], 0x33);
    EXPECT_EQ(tms3556.vdp_acmp, 0x2001);
    EXPECT_EQ(tms3556.vdp_acmpxy_mode, 0);
    // No new pointer load: a read now takes the col/row pointer.
    EXPECT_EQ(data_r(), 0);
    EXPECT_EQ(tms3556.vdp_acmpxy, 0x103);

    // Reads of a fresh pointer start one below it unless the prepare-read
    // port was read first.
    for (int i = 0; i < 4; i++)
        set_vram(static_cast<unsigned short>(0x3FFF + i), static_cast<unsigned char>(0xA0 + i));
    load16(VDP_BAMP, 0x4000);
    EXPECT_EQ(data_r(), 0xA0);
    EXPECT_EQ(data_r(), 0xA1);
    load16(VDP_BAMP, 0x4000);
    prepare_read();
    EXPECT_EQ(data_r(), 0xA1);
    EXPECT_EQ(tms3556.init_read, 0);
    load_row_col(0x4001);
    EXPECT_EQ(data_r(), 0xA1);
    EXPECT_EQ(tms3556.vdp_acmpxy_mode, 0);

    // Both pending: both load, a write takes the col/row pointer.
    load_row_col(0x0500);
    reg_w(0x09);
    reg_w(0);
    load_row_col(0x0600);
    data_w(0x44);
    EXPECT_EQ(tms3556.vram[0x0600], 0x44);
    EXPECT_EQ(tms3556.vdp_acmp, 0x0501);
}

TEST_F(CoreTest, PointerWrapAndBit15)
{
    // After reset BAMTF and BAMP are 0: a read without preparing starts at
    // 0xFFFF, reads 0 and moves on to 0.
    tms3556.vram[0] = 0x5A;
    load16(VDP_BAMP, 0x0000);
    EXPECT_EQ(data_r(), 0);
    EXPECT_EQ(tms3556.vdp_acmp, 0x0000);
    EXPECT_EQ(data_r(), 0x5A);

    load_row_col(0x7FFF);
    data_w(1);
    data_w(2);
    EXPECT_EQ(tms3556.vram[0x7FFF], 1);
    EXPECT_EQ(tms3556.vram[0x0000], 0x5A);
    EXPECT_EQ(tms3556.vdp_acmpxy, 0x8001);

    // Reaching BAMTF sends the pointer back to BAMP.
    load16(VDP_BAMTF, 0x8000);
    load16(VDP_BAMP, 0x1000);
    load_row_col(0x7FFF);
    data_w(3);
    EXPECT_EQ(tms3556.vdp_acmpxy, 0x1000);
    load16(VDP_BAMTF, 0x1002);
    load16(VDP_BAMP, 0x1000);
    for (int i = 0; i < 3; i++)
        data_w(0x60 + i);
    EXPECT_EQ(tms3556.vram[0x1000], 0x62);
    EXPECT_EQ(tms3556.vram[0x1001], 0x61);
    EXPECT_EQ(tms3556.vram[0x1002], 0);
}

TEST_F(CoreTest, ResetAndUnexpectedReads)
{
    tms3556.vram[0x10] = 9;
    reg_w(0x06);
    reg_w(0x40);
    load16(VDP_BAPA, 0x1234);
    load_row_col(0x0010);
    data_w(9);
    reg_w(0x07);  // pointer byte, then a reset before its data byte
    EXPECT_EQ(program_read_byte_8(0x127), 0);
    for (int n = 8; n < 16; n++)
        EXPECT_EQ(r16(n), 0);
    EXPECT_EQ(tms3556.vdp_acmpxy, 0);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_CM3], 0x40);
    EXPECT_EQ(tms3556.vram[0x10], 9);
    reg_w(0xC0);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_CM4], 0xC0);

    EXPECT_EQ(ask_bkpt, 0);
    EXPECT_EQ(program_read_byte_8(0x125), 0);
    EXPECT_EQ(ask_bkpt, 1);
    EXPECT_EQ(log_text(), "00000000 0000 tms3556_reset():VDP was reseted\n"
                          "00000000 0000 tms3556_reg_r():called\n");
}

TEST_F(CoreTest, VideoRamWatches)
{
    auto hit = [](auto &&access) {
        ask_bkpt = 0;
        access();
        return ask_bkpt == 1;
    };
    // No watch: nothing stops, not even 0x4AFE (0xCAFE masked to 15 bits).
    EXPECT_FALSE(hit([] { clear_vram(); }));
    EXPECT_FALSE(hit([] { get_vram(0x4AFE); }));

    set_bkpt_vdpwrite(0x10123);  // only the low 16 bits count
    EXPECT_TRUE(hit([] { load_row_col(0x0123); data_w(1); }));
    EXPECT_TRUE(hit([] { load16(VDP_BAMP, 0x0123); data_w(1); }));
    EXPECT_TRUE(hit([] { load_row_col(0x8123); data_w(1); }));  // masked address, write dropped
    EXPECT_FALSE(hit([] { data_w(1); }));
    EXPECT_TRUE(hit([] { set_vram(0x0123, 1); }));
    EXPECT_TRUE(hit([] { clear_vram(); }));
    EXPECT_FALSE(hit([] { load_row_col(0x0123); data_r(); }));

    set_bkpt_vdpread(0x0200);
    EXPECT_TRUE(hit([] { load_row_col(0x0201); data_r(); }));  // starts one below
    EXPECT_TRUE(hit([] { get_vram(0x0200); }));
    EXPECT_FALSE(hit([] { get_vram(0x0201); }));
    set_bkpt_vdpread(0x8200);  // bit 15 in the low half: never matches
    EXPECT_FALSE(hit([] { load_row_col(0x0201); data_r(); }));

    EXPECT_TRUE(hit([] { tms3556_init(0); }));
}

TEST_F(CoreTest, DebuggerAccessAndDump)
{
    set_vram(0x7FFF, 0x42);
    set_vram(0x8001, 0x43);
    EXPECT_EQ(get_vram(0x7FFF), 0x42);
    EXPECT_EQ(get_vram(0x0001), 0);
    EXPECT_EQ(get_vram(0x8000), 0);
    EXPECT_EQ(get_vram(-1), 0);

    load_row_col(0x0203);
    reg_w(0x04);
    reg_w(0x9C);
    load16(VDP_BAGC3, 0xBEEF);
    load16(VDP_BAMP, 0x0100);
    data_w(0);
    char buffer[1024] = "VDP\n";
    EXPECT_EQ(get_vdp_debug(buffer), buffer);
    EXPECT_EQ(std::string(buffer), "VDP\n"
                                   "COL = xff\nROW = x00\nSTAT = x00\nCM1 = x9c\nCM2 = x00\nCM3 = x00\nCM4 = x00\n"
                                   "BAMT = x0000\nBAMP = x0100\nBAPA = x0000\nBAGC0 = x0000\nBAGC1 = x0000\n"
                                   "BAGC2 = x0000\nBAGC3 = xbeef\nBAMTF = x0000\n"
                                   "acmp = x0101\nacmpxy = x0000\nacmpxy mode = read\n");
}

TEST_F(CoreTest, PortLogLines)
{
    write_file("debug.lst", "tms3556_reg_w() tms3556_vram_w() tms3556_vram_r() tms3556_initptr_r()");
    reg_w(0x23);
    reg_w(0x05);
    reg_w(0x01);
    reg_w(0x09);
    reg_w(0);
    data_w(0xAB);
    load_row_col(0x0100);
    prepare_read();
    data_r();
    EXPECT_EQ(log_text(), "00000000 0000 tms3556_reg_w():VDP => STAT = 5\n"
                          "00000000 0000 tms3556_reg_w():Read STAT 3556\n"
                          "00000000 0000 tms3556_reg_w():VDP => ROW = 1\n"
                          "00000000 0000 tms3556_vram_w():SET (bamp) acmp(WRITE) =x101\n"
                          "00000000 0000 tms3556_vram_w():VRAM (acmp=x101) = ab\n"
                          "00000000 0000 tms3556_reg_w():VDP => COL = 0\n"
                          "00000000 0000 tms3556_reg_w():VDP => ROW = 1\n"
                          "00000000 0000 tms3556_initptr_r():called\n"
                          "00000000 0000 tms3556_vram_r():read value\n"
                          "00000000 0000 tms3556_vram_r():SET (colrow) acmpxy(READ) =x100\n"
                          "00000000 0000 tms3556_vram_r():Read VRAM (acmpxy=x100) = 0\n");
}

TEST_F(CoreTest, VideoStateClearsToProgramStart)
{
    load16(VDP_BAMP, 0x0100);
    reg_w(0x0A);
    set_bkpt_vdpwrite(5);
    tms3556.vram[7] = 1;
    tms3556_render.next_col = 3;
    tms3556_screen[3][3] = 7;
    orv_clear_globals();
    EXPECT_EQ(tms3556.sel, 0);
    EXPECT_EQ(tms3556.reg, 0);
    EXPECT_EQ(tms3556.reg2, 0);
    EXPECT_EQ(tms3556.bamp_written, 0);
    EXPECT_EQ(tms3556.vdp_acmpxy_mode, 1);
    EXPECT_EQ(tms3556.bkpt_write, 0xDEADCAFEul);
    EXPECT_EQ(tms3556.bkpt_read, 0xDEADCAFEul);
    EXPECT_EQ(r16(VDP_BAMP), 0);
    EXPECT_EQ(tms3556.vdp_regs8[VDP_COL], 0);
    EXPECT_EQ(tms3556.vram[7], 0);
    EXPECT_EQ(tms3556_render.next_col, -1);
    EXPECT_EQ(tms3556_render.cur_alpha_col, 5);
    EXPECT_EQ(tms3556_screen[3][3], 0);
}
