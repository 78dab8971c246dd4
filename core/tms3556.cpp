// TMS3556 registers, video RAM and its two pointers, as the main processor
// sees them through the register port, the data port, the reset port and the
// prepare-read port.
#include "tms3556.h"

#include "debug_hooks.h"
#include "step_back.h"
#include "loop.h"
#include "trace.h"

#include <cstdio>
#include <cstring>

tms3556_state tms3556;
trace_fn tf_tms3556_vram_w = {"tms3556_vram_w()", 0};

const char *const vdp_name[16] = {
    "POINTER", "COL",  "ROW",  "STAT",  "CM1",   "CM2",   "CM3",   "CM4",
    "BAMT",    "BAMP", "BAPA", "BAGC0", "BAGC1", "BAGC2", "BAGC3", "BAMTF",
};

namespace {

trace_fn tf_reg_w = {"tms3556_reg_w()", 0};
trace_fn tf_reg_r = {"tms3556_reg_r()", 0};
trace_fn tf_vram_r = {"tms3556_vram_r()", 0};
trace_fn tf_initptr_r = {"tms3556_initptr_r()", 0};
trace_fn tf_reset = {"tms3556_reset()", 0};

uint16_t &reg16(int n) { return tms3556.vdp_regs16[n - 8]; }

uint16_t row_col()
{
    return static_cast<uint16_t>(tms3556.vdp_regs8[VDP_ROW] * 256 + tms3556.vdp_regs8[VDP_COL]);
}

} // namespace

void tms3556_reg_w(long, unsigned char data)
{
    trace_enter(tf_reg_w);
    tms3556_state &v = tms3556;
    switch (v.sel) {
    case 0:
        // Pointer byte: the low nibble names the register the next byte
        // loads, the high nibble a second one to load after it. Register 0
        // cannot be named, so such a byte selects nothing.
        v.reg = data & 0x0F;
        v.reg2 = data >> 4;
        if (v.reg != 0)
            v.sel = 1;
        return;
    case 1:
        if (v.reg < 8) {
            v.vdp_regs8[v.reg] = data;
            if (v.reg == VDP_COL || v.reg == VDP_ROW) {
                v.colrow = row_col();
                v.row_col_written = 1;
            }
            TRACE(tf_reg_w, "VDP => %s = %d", vdp_name[v.reg], data);
            if (v.reg == VDP_STAT)
                TRACE_ALWAYS(tf_reg_w, "Read STAT 3556");
            if (v.reg2 != 0) {
                v.reg = v.reg2;
                v.reg2 = 0;
            } else {
                v.sel = 0;
            }
            return;
        }
        // A 16-bit register takes its value from ROW and COL, one above it
        // (two above for the character generator bases); the data byte that
        // triggers the load is not part of the value.
        reg16(v.reg) = static_cast<uint16_t>(row_col() + (v.reg >= VDP_BAGC0 && v.reg <= VDP_BAGC3 ? 2 : 1));
        v.row_col_written = 0;
        if (v.reg == VDP_BAMP) {
            v.bamp_written = 1;
            v.sel = 0;
        } else {
            // Every other 16-bit load is followed by one more byte that the
            // chip swallows.
            v.bamp_written = 0;
            v.sel = 2;
        }
        return;
    default:
        v.sel = 0;
        return;
    }
}

unsigned char tms3556_reg_r(long)
{
    trace_enter(tf_reg_r);
    // The firmware never reads the status: a read means something went
    // astray, so hand over to the debugger.
    TRACE_ALWAYS(tf_reg_r, "called");
    ask_bkpt = 1;
    return 0;
}

unsigned char tms3556_initptr_r(long)
{
    trace_enter(tf_initptr_r);
    TRACE(tf_initptr_r, "called");
    tms3556.init_read = 1;
    return 0xFF;
}

void tms3556_vram_w_take_pointer()
{
    trace_fn &tf = tf_tms3556_vram_w;
    tms3556_state &v = tms3556;
    if (v.bamp_written) {
        v.vdp_acmp = reg16(VDP_BAMP);
        v.bamp_written = 0;
        v.vdp_acmpxy_mode = 0;
        TRACE(tf, "SET (bamp) acmp(WRITE) =x%x", v.vdp_acmp);
    }
    if (v.row_col_written) {
        v.vdp_acmpxy = v.colrow;
        v.row_col_written = 0;
        v.vdp_acmpxy_mode = 1;
        TRACE(tf, "SET (col row) acmpxy(WRITE) =x%x", v.vdp_acmpxy);
    }
}

void tms3556_vram_w_watch_hit() { ask_bkpt = 1; }

unsigned char tms3556_vram_r(long)
{
    trace_enter(tf_vram_r);
    tms3556_state &v = tms3556;
    TRACE(tf_vram_r, "read value");
    // Without a read of the prepare-read port first, a freshly loaded
    // pointer starts one below its address, so the first read returns the
    // byte before the loaded one; the firmware reads 0x0128 to avoid that.
    if (v.bamp_written) {
        v.bamp_written = 0;
        v.vdp_acmpxy_mode = 1;
        v.vdp_acmp = v.init_read ? reg16(VDP_BAMP) : static_cast<uint16_t>(reg16(VDP_BAMP) - 1);
        TRACE(tf_vram_r, "SET (bamp) acmp(READ) =x%x", v.vdp_acmp);
    }
    if (v.row_col_written) {
        v.row_col_written = 0;
        v.vdp_acmpxy_mode = 0;
        v.vdp_acmpxy = v.init_read ? v.colrow : static_cast<uint16_t>(v.colrow - 1);
        TRACE(tf_vram_r, "SET (colrow) acmpxy(READ) =x%x", v.vdp_acmpxy);
    }
    v.init_read = 0;
    // The mode flag is read in the opposite sense from the write path.
    bool bamp = v.vdp_acmpxy_mode != 0;
    uint16_t &p = bamp ? v.vdp_acmp : v.vdp_acmpxy;
    if (tms3556_watch_hit(p, v.bkpt_read))
        ask_bkpt = 1;
    unsigned char value = p < 0x8000 ? v.vram[p] : 0;
    if (bamp)
        TRACE(tf_vram_r, "Read VRAM (acmp=x%x) = %x", p, value);
    else
        TRACE(tf_vram_r, "Read VRAM (acmpxy=x%x) = %x", p, value);
    p = tms3556_pointer_next(p);
    return value;
}

unsigned char tms3556_vram_peek()
{
    // The pointer choice of tms3556_vram_r, on copies.
    const tms3556_state &v = tms3556;
    int mode = v.vdp_acmpxy_mode;
    uint16_t acmp = v.vdp_acmp, acmpxy = v.vdp_acmpxy;
    if (v.bamp_written) {
        mode = 1;
        acmp = v.init_read ? reg16(VDP_BAMP) : static_cast<uint16_t>(reg16(VDP_BAMP) - 1);
    }
    if (v.row_col_written) {
        mode = 0;
        acmpxy = v.init_read ? v.colrow : static_cast<uint16_t>(v.colrow - 1);
    }
    uint16_t p = mode ? acmp : acmpxy;
    return p < 0x8000 ? v.vram[p] : 0;
}

void tms3556_reset()
{
    trace_enter(tf_reset);
    // Only the address registers and the pointers clear; the mode registers,
    // video RAM and the register port's phase survive.
    for (auto &r : tms3556.vdp_regs16)
        r = 0;
    tms3556.vdp_acmp = 0;
    tms3556.vdp_acmpxy = 0;
    TRACE_ALWAYS(tf_reset, "VDP was reseted");
}

void tms3556_interrupt()
{
    // The chip's interrupt output is not wired to the main processor.
}

unsigned char get_vram(int address)
{
    if (tms3556_watch_hit(static_cast<unsigned>(address), tms3556.bkpt_read))
        ask_bkpt = 1;
    if (address < 0 || address > 0x7FFF)
        return 0;
    return tms3556.vram[address];
}

void set_vram(unsigned short address, unsigned char value)
{
    if (tms3556_watch_hit(address, tms3556.bkpt_write))
        ask_bkpt = 1;
    if (address < 0x8000)
        tms3556.vram[address] = value;
}

void clear_vram()
{
    for (unsigned a = 0; a < TMS3556_VRAM_SIZE; a++)
        set_vram(static_cast<unsigned short>(a), 0);
}

// A watch set is a change of the machine's state between runs: the step-back
// history writes it down.
void set_bkpt_vdpwrite(unsigned long address)
{
    if (orv_history_recording)
        orv_history_call(set_bkpt_vdpwrite, address);
    tms3556.bkpt_write = address;
}

void set_bkpt_vdpread(unsigned long address)
{
    if (orv_history_recording)
        orv_history_call(set_bkpt_vdpread, address);
    tms3556.bkpt_read = address;
}

char *get_vdp_debug(char *buffer)
{
    char *out = buffer + std::strlen(buffer);
    for (int n = 1; n < 8; n++)
        out += std::sprintf(out, "%s = x%02x\n", vdp_name[n], tms3556.vdp_regs8[n]);
    for (int n = 8; n < 16; n++)
        out += std::sprintf(out, "%s = x%04x\n", vdp_name[n], reg16(n));
    out += std::sprintf(out, "acmp = x%04x\n", tms3556.vdp_acmp);
    out += std::sprintf(out, "acmpxy = x%04x\n", tms3556.vdp_acmpxy);
    std::sprintf(out, "acmpxy mode = %s\n", tms3556.vdp_acmpxy_mode ? "write" : "read");
    return buffer;
}

void tms3556_clear_state()
{
    static const tms3556_state power_on{};
    tms3556 = power_on;
    tms3556_render = tms3556_render_state{};
    std::memset(tms3556_screen, 0, sizeof tms3556_screen);
}
