// TMS3556 video display processor: its registers, its 32 KB of video RAM
// behind two auto-incrementing pointers, the video RAM watches of the
// debuggers, and the once-a-frame picture.
//
// The main processor reaches the chip at six peripheral-file addresses (the
// bus routes them here): reads at 0x0124 (data), 0x0125 (register port),
// 0x0127 (reset) and 0x0128 (prepare read); writes at 0x012D (register port)
// and 0x012E (data).
#pragma once

#include "trace.h"

#include <cstdint>

// ---------------------------------------------------------------------------
// Registers and video RAM
// ---------------------------------------------------------------------------

// Register numbers.
enum tms3556_register : int {
    VDP_POINTER = 0,
    VDP_COL = 1,
    VDP_ROW = 2,
    VDP_STAT = 3,
    VDP_CM1 = 4,
    VDP_CM2 = 5,
    VDP_CM3 = 6,
    VDP_CM4 = 7,
    VDP_BAMT = 8,
    VDP_BAMP = 9,
    VDP_BAPA = 10,
    VDP_BAGC0 = 11,
    VDP_BAGC1 = 12,
    VDP_BAGC2 = 13,
    VDP_BAGC3 = 14,
    VDP_BAMTF = 15,
};

constexpr int TMS3556_VRAM_SIZE = 0x8000;
constexpr unsigned long TMS3556_NO_BKPT = 0xDEADCAFE;  // low half has bit 15 set: never matches

// Everything the chip holds, program-start values as initialisers.
struct tms3556_state {
    uint8_t vram[TMS3556_VRAM_SIZE];
    uint8_t vdp_regs8[8];     // registers 0 to 7
    uint16_t vdp_regs16[8];   // registers 8 to 15, register n at n - 8
    uint16_t vdp_acmp;        // the bamp pointer
    uint16_t vdp_acmpxy;      // the col/row pointer (linear ROW * 256 + COL)
    int vdp_acmpxy_mode = 1;  // which pointer the last load chose (senses differ for read/write)
    int bamp_written;         // BAMP loaded, not yet taken into a pointer
    uint8_t row_col_written;  // COL or ROW written, not yet taken into a pointer
    uint16_t colrow;          // ROW * 256 + COL at the last COL or ROW write
    int sel;                  // register port phase: 0 pointer byte, 1 data byte, 2 swallow one byte
    int reg;                  // register the next data byte loads
    int reg2;                 // second register queued by the pointer byte
    int init_read;            // prepare-read port read, not yet consumed by a data read
    unsigned long bkpt_write = TMS3556_NO_BKPT;
    unsigned long bkpt_read = TMS3556_NO_BKPT;
};

extern tms3556_state tms3556;
extern const char *const vdp_name[16];

// Port handlers (the address argument is not used).
unsigned char tms3556_vram_r(long address);
unsigned char tms3556_reg_r(long address);     // 0, and asks the debugger to take over
unsigned char tms3556_initptr_r(long address); // 0xFF
void tms3556_reg_w(long address, unsigned char data);
void tms3556_vram_w(long address, unsigned char data);  // inline, below

// The byte a read of the data port would return now, without reading it:
// no pointer moves, no watch, no log line. For views.
unsigned char tms3556_vram_peek();

// Chip reset: the 16-bit registers and both pointers to 0; everything else kept.
void tms3556_reset();
void tms3556_interrupt();

// Debugger access to video RAM, with the breakpoint tests of the data port.
unsigned char get_vram(int address);
void set_vram(unsigned short address, unsigned char value);
void clear_vram();
void set_bkpt_vdpwrite(unsigned long address);
void set_bkpt_vdpread(unsigned long address);

// Appends the register and pointer dump (about 20 lines) to `buffer`; returns it.
char *get_vdp_debug(char *buffer);

// ---------------------------------------------------------------------------
// Picture
// ---------------------------------------------------------------------------

// The picture is 320 x 250 dots, each a colour number 0 to 7 (bit 0 red,
// bit 1 green, bit 2 blue). The core owns it; the programs scale and colour it.
constexpr int TMS3556_WIDTH = 320;
constexpr int TMS3556_HEIGHT = 250;
using tms3556_picture = uint8_t[TMS3556_HEIGHT][TMS3556_WIDTH];
extern tms3556_picture tms3556_screen;

struct orv_rgb {
    uint8_t r, g, b;
};

// The colours as the user sees them, indexed by colour number.
//
// The wx program's SDL surface maps colours with red in bits 16 to 23 of a
// 24-bit pixel, so a pixel lies in memory as blue, green, red, while the
// window reads the bytes as red, green, blue: that program stores its table
// with red and blue exchanged to come out right. `tms3556_to_rgb24` below
// writes the bytes in red, green, blue order directly, so no exchange is needed.
extern const orv_rgb orv_col[8];

// Render state kept across frames and machine resets.
struct tms3556_render_state {
    int next_col = -1;       // serial background colour waiting to take effect
    int cur_alpha_col = 5;   // current serial background colour
    int flash_count = 0;     // frame counter, 0 to 49; flashing shows from 25 on
};
extern tms3556_render_state tms3556_render;

// One-time set-up: clears video RAM (through the write watch), the 16-bit
// registers and both pointers. Returns 0 (the picture buffer always exists).
int tms3556_init(int unused);

// Draws the whole picture from the registers and video RAM; returns it.
const tms3556_picture *tms3556_redraw();

// Host helpers. `out` gets width * scale by height * scale pixels, `pitch`
// pixels (or bytes for the 24-bit form) apart from one line to the next;
// every dot becomes a scale x scale square. `scale` is 1 or more.
// 0x00RRGGBB pixels:
void tms3556_to_rgb32(const tms3556_picture &picture, uint32_t *out, int pitch, int scale);
// Red, green, blue bytes in memory order:
void tms3556_to_rgb24(const tms3556_picture &picture, uint8_t *out, int pitch, int scale);

// Every global of the chip back to its program-start value.
void tms3556_clear_state();

// ---------------------------------------------------------------------------
// The data port's write, inline: the firmware writes video RAM through it
// byte by byte.
// ---------------------------------------------------------------------------

extern trace_fn tf_tms3556_vram_w;
// A BAMP or COL/ROW load still to be taken into its pointer: takes it, with
// its log line.
void tms3556_vram_w_take_pointer();
// A write watch hit: asks the debugger to take over.
void tms3556_vram_w_watch_hit();

// The video RAM watches compare only the low 16 bits of the breakpoint with
// the 15-bit address, so a breakpoint whose low half has bit 15 set never
// matches.
[[gnu::always_inline]] inline bool tms3556_watch_hit(unsigned address, unsigned long bkpt)
{
    return (address & 0x7FFF) == (bkpt & 0xFFFF);
}

// The step of either video RAM pointer after a data port access: both
// count through the whole 16-bit range, and reaching BAMTF sends them back
// to BAMP, the bottom of the area the firmware walks through.
[[gnu::always_inline]] inline uint16_t tms3556_pointer_next(uint16_t p)
{
    const uint16_t q = static_cast<uint16_t>(p + 1);
    return q == tms3556.vdp_regs16[VDP_BAMTF - 8] ? tms3556.vdp_regs16[VDP_BAMP - 8] : q;
}

// `traced` false: for callers that know the flag of tms3556_vram_w() is
// decided off, so that no line can be written.
template <bool traced>
inline void tms3556_vram_write(unsigned char data)
{
    trace_fn &tf = tf_tms3556_vram_w;
    if (traced)
        trace_enter(tf);
    tms3556_state &v = tms3556;
    if (v.bamp_written || v.row_col_written) [[unlikely]]
        tms3556_vram_w_take_pointer();
    const bool xy = v.vdp_acmpxy_mode == 1;
    uint16_t &p = xy ? v.vdp_acmpxy : v.vdp_acmp;
    if (tms3556_watch_hit(p, v.bkpt_write)) [[unlikely]]
        tms3556_vram_w_watch_hit();
    if (p < 0x8000)
        v.vram[p] = data;
    if (traced) {
        if (xy)
            TRACE(tf, "VRAM (acmpxy=x%x) = %x", p, data);
        else
            TRACE(tf, "VRAM (acmp=x%x) = %x", p, data);
    }
    p = tms3556_pointer_next(p);
}

inline void tms3556_vram_w(long, unsigned char data) { tms3556_vram_write<true>(data); }
