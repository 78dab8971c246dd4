// The board around the main processor: the four ports its port registers
// drive, the two handshake lines on port B whose edges reach the I/O
// processor, the one-byte mailbox between the two processors, and the chips
// wired into the peripheral file. The bus (memory.h) decodes addresses and
// hands 0x0100-0x01FF to this file.
//
// Port bits in use: port A bit 0 the I/O processor's handshake output, bit 4
// the cassette input; port B bits 0 and 1 the handshake lines B0 and B1,
// bit 3 the beeper.
#pragma once

#include "tms3556.h"
#include "exec_mode.h"
#include "tms7000.h"
#include "trace.h"

#include <cstdint>

extern uint8_t porta_val, portb_val, portc_val, portd_val;
extern uint8_t mailbox_val;

// The port bus of the peripheral file: 0 = A, 1 = B, 2 = C, 3 = D. A write to
// port B that changes B0 or B1 raises the I/O processor's event at once,
// B0 before B1.
// Port A is read on every pass of the firmware's polling loops, hence
// inline. `traced` false: for callers that know the function's flag is
// decided off (the fast path's port A read), so that no line can come.
extern trace_fn tf_io_read;
extern trace_fn tf_io_write;
template <bool traced = true>
[[gnu::always_inline]] inline int io_read_port(long port)
{
    trace_fn &tf = tf_io_read;
    if (!traced)
        return port == 0 ? porta_val : port == 1 ? portb_val : io_read_port<true>(port);
    trace_enter(tf);
    TRACE(tf, "Called %04x", static_cast<unsigned>(port));
    switch (port) {
    case 0: TRACE(tf, "port A read %02x raw", porta_val); return porta_val;
    case 1: TRACE(tf, "port B read %02x raw", portb_val); return portb_val;
    case 2: TRACE_ALWAYS(tf, "port C read %02x raw", portc_val); return portc_val;
    case 3: TRACE_ALWAYS(tf, "port D read %02x raw", portd_val); return portd_val;
    default:
        TRACE_ALWAYS(tf, "Reading out of bound x%04x", static_cast<unsigned>(port));
        return 0;
    }
}
inline int io_read_byte_8(long port) { return io_read_port<true>(port); }
void io_write_byte_8(long port, unsigned char value);

// Port B as the main processor drives it: the value, then the edges of the
// two handshake lines (bits 0 and 1) to the I/O processor.
void board_handshake_edges(uint8_t old, uint8_t now);
[[gnu::always_inline]] inline void board_port_b_write(unsigned char value)
{
    const uint8_t old = portb_val;
    portb_val = value;
    if ((old ^ value) & 3)
        board_handshake_edges(old, value);
}

inline int get_porta() { return porta_val; }
inline int get_portb() { return portb_val; }
// How the I/O processor and the cassette drive port A's input bits: no
// event, no log line.
inline void and_porta(unsigned char mask) { porta_val &= mask; }
inline void or_porta(unsigned char mask) { porta_val |= mask; }

// The wires between the chips. Each chip drives and reads its own pins
// through these; only this file knows what is on the other end.
//
// The handshake: the main processor's B0 (request) and B1 (strobe,
// acknowledge) on port B bits 0 and 1, read by the I/O processor (whose
// events their edges raise, board_handshake_edges); its A0 answer on port
// A bit 0 (or_porta, and_porta); its INT1 output, the main processor's
// interrupt line 0.
inline bool board_b0() { return portb_val & 0x01; }
inline bool board_b1() { return portb_val & 0x02; }
void board_iop_int1(int level);
// The one-bit sound the speech side plays while it is not speaking: the
// beeper on port B bit 3, and the cassette input on port A bit 4, which
// the tape drives.
constexpr uint8_t BOARD_BEEPER_BIT = 0x08;   // port B
constexpr uint8_t BOARD_CASSETTE_BIT = 0x10; // port A
inline bool board_beeper() { return portb_val & BOARD_BEEPER_BIT; }
inline bool board_cassette() { return porta_val & BOARD_CASSETTE_BIT; }
void board_cassette_in(bool level);

// Mailbox (peripheral-file P48) as the main processor reads and writes it;
// the I/O side writes with `set_mailbox` (iocpu.h).
inline unsigned char read_mailbox() { return mailbox_val; }
inline void write_mailbox(unsigned char v) { mailbox_val = v; }

// Peripheral-file addresses 0x0100-0x01FF as the bus routes them: the
// processor's own registers P0-P11, the video processor's ports and the
// mailbox. Lines go out under the bus function's trace record `tf`.
// Inline: the bus runs them on every peripheral access.
inline int board_peripheral_read(trace_fn &tf, unsigned a)
{
    unsigned reg = a - 0x100;
    if (reg <= 0x0B)
        return tms70x0_pf_r(reg);
    switch (a) {
    case 0x124: return tms3556_vram_r(a);
    case 0x125: return tms3556_reg_r(a);
    case 0x127: tms3556_reset(); return 0;
    case 0x128: return tms3556_initptr_r(a);
    case 0x130: {
        int v = read_mailbox();
        TRACE(tf, "mailbox (read) %02x", v);
        return v;
    }
    default:
        TRACE_ALWAYS(tf, "IO unimplemented (read) P%d", static_cast<int>(reg));
        return 0;
    }
}

inline void board_peripheral_write(trace_fn &tf, unsigned a, unsigned char value)
{
    unsigned reg = a - 0x100;
    if (reg <= 0x0B) {
        tms70x0_pf_w(reg, value);
        return;
    }
    switch (a) {
    case 0x12D: tms3556_reg_w(a, value); return;
    case 0x12E: tms3556_vram_w(a, value); return;
    case 0x130:
        TRACE(tf, "mailbox (write) %02x", value);
        write_mailbox(value);
        return;
    default:
        TRACE_ALWAYS(tf, "IO unimplemented (write) P%d", static_cast<int>(reg));
        return;
    }
}
// What board_peripheral_read would return, with no effect at all.
int board_peripheral_peek(unsigned address);

void board_clear_state();
