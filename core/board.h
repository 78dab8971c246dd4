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

#include "trace.h"

#include <cstdint>

extern uint8_t porta_val, portb_val, portc_val, portd_val;
extern uint8_t mailbox_val;

// The port bus of the peripheral file: 0 = A, 1 = B, 2 = C, 3 = D. A write to
// port B that changes B0 or B1 raises the I/O processor's event at once,
// B0 before B1.
int io_read_byte_8(long port);
void io_write_byte_8(long port, unsigned char value);

inline int get_porta() { return porta_val; }
inline int get_portb() { return portb_val; }
// How the I/O processor and the cassette drive port A's input bits: no
// event, no log line.
inline void and_porta(unsigned char mask) { porta_val &= mask; }
inline void or_porta(unsigned char mask) { porta_val |= mask; }

// Mailbox (peripheral-file P48) as the main processor reads and writes it;
// the I/O side writes with `set_mailbox` (iocpu.h).
inline unsigned char read_mailbox() { return mailbox_val; }
inline void write_mailbox(unsigned char v) { mailbox_val = v; }

// Peripheral-file addresses 0x0100-0x01FF as the bus routes them: the
// processor's own registers P0-P11, the video processor's ports and the
// mailbox. Lines go out under the bus function's trace record `tf`.
int board_peripheral_read(trace_fn &tf, unsigned address);
void board_peripheral_write(trace_fn &tf, unsigned address, unsigned char value);
// What board_peripheral_read would return, with no effect at all.
int board_peripheral_peek(unsigned address);

void board_clear_state();
