// Inside the TMS7020: the opcode table and the small bus helpers that the
// execution core and the instruction handlers share. Not for other units.
#pragma once

#include "memory.h"
#include "tms7000.h"

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
inline uint8_t tms7000_rd(uint16_t address)
{
    return static_cast<uint8_t>(program_read_byte_8(address));
}

inline void tms7000_wr(uint16_t address, uint8_t value) { program_write_byte_8(address, value); }

inline uint8_t tms7000_fetch()
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
