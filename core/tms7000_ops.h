// Inside the TMS7020: the opcode table and the small bus helpers that the
// execution core and the instruction handlers share. Other units reach it
// only through tms7000_step.h.
#pragma once

#include "debug_hooks.h"
#include "loop.h"
#include "slice.h"
#include "memory.h"
#include "tms7000.h"
#include "trace.h"

#include <cstdint>

// One handler per opcode value; each fetches its own operands and charges
// its own cycles.
typedef void (*tms7000_opfn)();
extern const tms7000_opfn (&opfn_orv)[256];

// Decimal digit arithmetic of DAC and DSB: (destination, source, carry) in,
// a 9-bit result out whose bit 8 is the decimal carry (DAC) or "no borrow"
// (DSB).
uint16_t bcd_add(uint16_t d, uint16_t s, uint16_t c);
uint16_t bcd_sub(uint16_t d, uint16_t s, uint16_t c);

// Everything the processor touches goes over its own bus: registers, the
// peripheral file and memory alike.
//
// The register file, RAM and the two ROMs are reached inline once the bus
// functions' trace lines are decided off: those areas have no other effect
// than the write-watch and the byte itself, so the result is the same as
// going through the bus. Until then (the first access
// decides), and whenever `debug.lst` names them, every access takes the bus,
// which writes the lines. Inside a slice of the frame loop the flags are
// known to be decided off (slices open only then), and `in_slice` versions
// of the handlers skip the test.
// Whether the register file, RAM and ROMs are reached inline outside a
// slice: on the fast path, once the bus function's flag is decided off.
[[gnu::always_inline]] inline bool tms7000_inline_read() { return orv_fast.reads; }
[[gnu::always_inline]] inline bool tms7000_inline_write() { return orv_fast.writes; }

template <bool in_slice = false>
[[gnu::always_inline]] inline uint8_t tms7000_rd(uint16_t address)
{
    if (in_slice || tms7000_inline_read()) {
        if (address < 0x80) [[likely]]
            return tms7000.rf[address];
        if (const uint8_t *page = program_pages.page[address >> 8])
            return page[address & 0xFF];
    }
    // In a slice, the port the firmware polls needs neither the bus nor the
    // loop's counters (as `program_read_byte_8` finds).
    if (in_slice && program_fast_port_a(address))
        return static_cast<uint8_t>(program_port_a_read_fast());
    return static_cast<uint8_t>(program_read_byte_8(address));
}

template <bool in_slice = false>
[[gnu::always_inline]] inline void tms7000_wr(uint16_t address, uint8_t value)
{
    if (in_slice || tms7000_inline_write()) {
        if (address < 0x80) [[likely]] {
            PC_ON_WRITE[address] = p_pc;
            tms7000.rf[address] = value;
            return;
        }
        if (program_is_ram(address)) {
            PC_ON_WRITE[address] = p_pc;
            ram_w(address, value);
            return;
        }
        // In a slice, the video data port and a port B write that moves
        // no handshake line need neither the bus nor the loop's counters.
        if (in_slice && program_fast_port_write(address, value, true))
            return;
    }
    program_write_byte_8(address, value);
}

// Program bytes come from ROM or RAM: the page table alone is asked (the
// rare program in the register file goes through the bus, with the same
// result).
template <bool in_slice = false>
[[gnu::always_inline]] inline uint8_t tms7000_fetch()
{
    const uint16_t address = tms7000.pc.w;
    const uint8_t *page = program_pages.page[address >> 8];
    uint8_t v;
    if ((in_slice || tms7000_inline_read()) && page) [[likely]] {
        v = page[address & 0xFF];
    } else {
        orv_bus_fetch = true;  // an instruction byte: no data read for the watchpoints
        v = static_cast<uint8_t>(program_read_byte_8(address));
        orv_bus_fetch = false;
    }
    tms7000.pc.w = static_cast<uint16_t>(address + 1);
    return v;
}

// The stack grows upward inside R0-R127; the pointer names the top byte.
template <bool in_slice = false>
inline void tms7000_push(uint8_t v)
{
    tms7000.sp = (tms7000.sp + 1) & 0x7F;
    tms7000_wr<in_slice>(tms7000.sp, v);
}

template <bool in_slice = false>
inline uint8_t tms7000_pop()
{
    uint8_t v = tms7000_rd<in_slice>(tms7000.sp);
    tms7000.sp = (tms7000.sp - 1) & 0x7F;
    return v;
}

// Register pairs: Rn-1 holds the high byte, Rn the low one; the pair of R0
// is R0 alone. A pair inside the register file (R1-R127) is read at once:
// kept across the second read's call to the bus, the first byte would go to
// the stack as a byte and come back as part of a wider value, which stalls
// the host's store forwarding.
template <bool in_slice = false>
[[gnu::always_inline]] inline uint16_t tms7000_rrf16(unsigned reg)
{
    if ((in_slice || tms7000_inline_read()) && reg - 1 < 0x7F) [[likely]] {
        return static_cast<uint16_t>(tms7000.rf[reg - 1] << 8 | tms7000.rf[reg]);
    }
    if (reg == 0)
        return tms7000_rd<in_slice>(0);
    unsigned hi = tms7000_rd<in_slice>((reg - 1) & 0x7F);
    unsigned lo = tms7000_rd<in_slice>(static_cast<uint16_t>(reg));
    return static_cast<uint16_t>(hi << 8 | lo);
}

template <bool in_slice = false>
[[gnu::always_inline]] inline void tms7000_wrf16(unsigned reg, uint16_t value)
{
    if (reg != 0)
        tms7000_wr<in_slice>((reg - 1) & 0x7F, static_cast<uint8_t>(value >> 8));
    tms7000_wr<in_slice>(static_cast<uint16_t>(reg), static_cast<uint8_t>(value));
}

// One count of timer 1 (every 16 cycles while it runs on the internal clock).
void tms7000_service_timer1();
// That many counts at once, fewer than `tms7000_timer1_counts_to_event()`:
// none raises INT2 or writes a line.
void tms7000_timer1_skip(int counts);

// The timer-1 counts the cycles charged since the last call make: one every
// 16 cycles while it runs on the internal clock.
[[gnu::always_inline]] inline void tms7000_count_timer1(trace_fn &tf)
{
    while (tms7000_icount < tms7000_div_by_16_trigger) {
        tms7000_div_by_16_trigger -= 16;
        if (tms7000_timer1_running()) {
            TRACE(tf, "service timer");
            tms7000_service_timer1();
        }
    }
}

// One instruction (or one idle pass) and the timer-1 counts it makes.
[[gnu::always_inline]] inline void tms7000_exec_one(trace_fn &tf)
{
    if (tms7000.idle_state) {
        tms7000_icount -= 16;
    } else {
        uint8_t op = tms7000_fetch();
        opfn_orv[op]();
    }
    tms7000_count_timer1(tf);
}

// Opens a budget of cycles; returns the count it starts from.
[[gnu::always_inline]] inline int tms7000_budget(int cycles)
{
    tms7000_icount += cycles;
    tms7000_div_by_16_trigger += cycles;
    return tms7000_icount;
}

// Closes a budget: only the distance between the count and the tick mark
// matters; both are moved back so that the count is 0 between calls and
// neither can drift towards overflow however long the machine runs. A reset
// then finds the count where a freshly started machine has it.
[[gnu::always_inline]] inline void tms7000_budget_close()
{
    tms7000_div_by_16_trigger -= tms7000_icount;
    tms7000_icount = 0;
}

// The execute loop: whole instructions (or idle passes) until the budget is
// spent, at least one; returns the cycles used, interrupts included.
[[gnu::always_inline]] inline int tms7000_run(int cycles)
{
    trace_fn &tf = tf_tms7000_execute;
    trace_enter(tf);
    const int start = tms7000_budget(cycles);
    do {
        tms7000_exec_one(tf);
    } while (tms7000_icount > 0);
    const int used = start - tms7000_icount;
    tms7000_budget_close();
    return used;
}

// The frame loop's slices (slice.h): instructions back to back
// from the count `tms7000_budget` opened. Before each instruction: the
// history ring (until-stop style), `p_pc` and the slice's marks. Once the
// count reaches the slice's end, `orv_slice_boundary` takes the steps after
// the last instruction and opens the next slice. Returns when the stop test
// ends the run (its answer) or no slice follows (ORV_STOP_FRAME).
template <bool until_stop>
orv_stop tms7000_run_slice(unsigned short stop_pc);
