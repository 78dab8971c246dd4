// Inside the TMS7020: the opcode table and the small bus helpers that the
// execution core and the instruction handlers share. Not for other units.
#pragma once

#include "memory.h"
#include "tms7000.h"
#include "trace.h"

#include <cstdint>

// One handler per opcode value; each fetches its own operands and charges
// its own cycles.
typedef void (*tms7000_opfn)();
extern const tms7000_opfn opfn_orv[256];

// Decimal digit arithmetic of DAC and DSB: (destination, source, carry) in,
// a 9-bit result out whose bit 8 is the decimal carry (DAC) or "no borrow"
// (DSB).
uint16_t bcd_add(uint16_t d, uint16_t s, uint16_t c);
uint16_t bcd_sub(uint16_t d, uint16_t s, uint16_t c);

// Everything the processor touches goes over its own bus: registers, the
// peripheral file and memory alike.
//
// The register file, RAM and the two ROMs are reached inline as long as the
// bus functions' trace lines are off: those areas have no other effect than
// the bus's trace name, the write-watch and the byte itself, so the result
// is the same as going through the bus. The two records below carry the
// bus functions' own trace names and are decided from debug.lst as theirs
// are; until decided off, and whenever tracing is suppressed before that,
// every access takes the full bus route, which writes the lines.
extern trace_fn tf_cpu_bus_read;   // "program_read_byte_8()"
extern trace_fn tf_cpu_bus_write;  // "program_write_byte_8()"

// The full bus route, after deciding the record's flag (so that the next
// access may take the inline route).
uint8_t tms7000_rd_bus(uint16_t address);
void tms7000_wr_bus(uint16_t address, uint8_t value);

[[gnu::always_inline]] inline uint8_t tms7000_rd(uint16_t address)
{
    if (tf_cpu_bus_read.flag == -1) {
        if (address < 0x80) {
            g_func_name = tf_cpu_bus_read.name;
            return tms7000.rf[address];
        }
        if (address >= 0xF800) {
            g_func_name = tf_cpu_bus_read.name;
            return rom_7020[address - 0xF800];
        }
        if (address >= 0xC000 && address < 0xC800) {
            g_func_name = tf_cpu_bus_read.name;
            return ram_2k[address - 0xC000];
        }
        if (address >= 0x200 && address < 0x8000) {
            g_func_name = tf_cpu_bus_read.name;
            return rom_cart[address];
        }
    }
    return tms7000_rd_bus(address);
}

[[gnu::always_inline]] inline void tms7000_wr(uint16_t address, uint8_t value)
{
    if (tf_cpu_bus_write.flag == -1) {
        if (address < 0x80) {
            g_func_name = tf_cpu_bus_write.name;
            PC_ON_WRITE[address] = p_pc;
            tms7000.rf[address] = value;
            return;
        }
        if (address >= 0xC000 && address < 0xC800) {
            g_func_name = tf_cpu_bus_write.name;
            PC_ON_WRITE[address] = p_pc;
            ram_2k[address - 0xC000] = value;
            return;
        }
    }
    tms7000_wr_bus(address, value);
}

[[gnu::always_inline]] inline uint8_t tms7000_fetch()
{
    uint8_t v = tms7000_rd(tms7000.pc.w);
    tms7000.pc.w++;
    return v;
}

// The stack grows upward inside R0-R127; the pointer names the top byte.
inline void tms7000_push(uint8_t v)
{
    tms7000.sp = (tms7000.sp + 1) & 0x7F;
    tms7000_wr(tms7000.sp, v);
}

inline uint8_t tms7000_pop()
{
    uint8_t v = tms7000_rd(tms7000.sp);
    tms7000.sp = (tms7000.sp - 1) & 0x7F;
    return v;
}
