// The main processor's bus: memory images, the memory map, the write-watch,
// and the loading of firmware and cartridge images. The ports, the mailbox
// and the chips of the peripheral file are the board's (board.h).
#pragma once

#include "board.h"

#include "exec_mode.h"
#include "loop.h"
#include "slice.h"
#include "trace.h"

#include <cstddef>
#include <cstdint>

extern uint8_t rom_cart[32768];  // cartridge area, indexed by machine address
extern uint8_t rom_7020[2048];   // processor internal ROM at 0xF800
extern uint8_t ram_2k[2048];     // external RAM at 0xC000
extern uint8_t rom_7041[4096];   // I/O processor ROM, rearranged (not on the bus)
extern uint16_t p_pc;            // address of the instruction being executed
extern uint16_t PC_ON_WRITE[65536];

// External RAM, 0xC000-0xC7FF, and its write (the write-watch is the
// caller's).
[[gnu::always_inline]] inline bool program_is_ram(unsigned a) { return a - 0xC000 < 0x800; }
[[gnu::always_inline]] inline void ram_w(unsigned a, uint8_t value) { ram_2k[a - 0xC000] = value; }

int program_read_byte_8(long address);
void program_write_byte_8(long address, unsigned char value);
// Where the processor reads a byte inline, by 256-byte page: the cartridge
// area, RAM and the internal ROM, whose reads have no other effect; null for
// the pages that hold anything else (the register file's page included).
struct program_page_table {
    const uint8_t *page[256];
};
extern const program_page_table program_pages;

// The two bus functions' trace records. The processor reaches the register
// file, RAM and the ROMs inline while these are decided off (tms7000_ops.h).
extern trace_fn tf_program_read;
extern trace_fn tf_program_write;
inline constexpr char program_read_name[] = "program_read_byte_8()";
inline constexpr char program_write_name[] = "program_write_byte_8()";
// P4 (port A), which the firmware polls, once this function, the
// peripheral file's read and the port read are all decided off: none of
// them can write a line. Nothing here reads the loop's counters.
[[gnu::always_inline]] inline bool program_fast_port_a(unsigned a)
{
    return a == 0x104 && orv_fast.port_a;
}

[[gnu::always_inline]] inline int program_port_a_read_fast()
{
    return io_read_port<false>(0);
}

// The video data port, which the firmware writes byte after byte, once this
// function and the port's write are both decided off. Nothing here reads
// the loop's counters or arms a timer; a write watch may request a break.
[[gnu::always_inline]] inline bool program_fast_vram(unsigned a)
{
    return a == 0x12E && orv_fast.vram;
}

[[gnu::always_inline]] inline void program_vram_write_fast(unsigned a, unsigned char value)
{
    PC_ON_WRITE[a] = p_pc;
    tms3556_vram_write<false>(value);
}

// P6 (port B) written without moving either handshake line, once this
// function, the peripheral file's write and the port write are all decided
// off: no edge reaches the I/O processor, so only the write's pc and the
// port's two copies change. Nothing here reads the loop's counters, arms a
// timer or requests a break.
[[gnu::always_inline]] inline bool program_fast_port_b(unsigned a, unsigned char value)
{
    return a == 0x106 && ((value ^ portb_val) & 3) == 0 && orv_fast.port_b;
}

[[gnu::always_inline]] inline void program_port_b_write_fast(unsigned a, unsigned char value)
{
    PC_ON_WRITE[a] = p_pc;
    tms7000.pf[6] = value;  // the peripheral file's copy, as tms70x0_pf_w keeps it
    board_port_b_write(value);
}

// The fast path's port writes, taken first in or out of a slice (`live`: a
// slice runs): the video data port, and a port B write that moves no
// handshake line. Neither looks at the loop's counters or arms a timer, so
// only a write watch's break ends the slice. False: the write takes the bus.
[[gnu::always_inline]] inline bool program_fast_port_write(unsigned a, unsigned char value, bool live)
{
    if (program_fast_vram(a)) {
        program_vram_write_fast(a, value);
        if (live && ask_bkpt)
            orv_slice_check();
        return true;
    }
    if (program_fast_port_b(a, value)) {
        program_port_b_write_fast(a, value);
        return true;
    }
    return false;
}

// A read without effects, for views, tools and tests: the byte
// `program_read_byte_8` would return, without any of a read's effects. No
// device acts (reading 0x0127 does not reset the video processor, 0x0125
// requests no break, the video data port's pointer stays, no read watch), no
// log line is written, no trace flag is decided and the current trace name
// stays.
int program_peek_byte_8(long address);

unsigned short get_pc_write(unsigned short address);

// Firmware and cartridge loading. Each returns null on success or the
// message to show. The image forms take the files' contents from memory (the
// built-in firmware) and follow the same rules as the file forms. A
// cartridge is read and its size checked before the cartridge area changes:
// on any failure the area, and so the running program, stays as it was.
const char *MemInit(const char *directory);
const char *MemInitImages(const uint8_t *bios7020, size_t bios7020_size, const uint8_t *rom7041,
                          size_t rom7041_size);
const char *RomLoad(const char *path);
const char *RomLoadImage(const uint8_t *image, size_t size);

void memory_clear_state();
