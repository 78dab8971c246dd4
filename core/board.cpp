#include "board.h"

#include "iocpu.h"
#include "tms3556.h"
#include "tms7000.h"

uint8_t porta_val, portb_val, portc_val, portd_val;
uint8_t mailbox_val;

namespace {

trace_fn tf_io_read = {"io_read_byte_8()", 0};
trace_fn tf_io_write = {"io_write_byte_8()", 0};

} // namespace

// Peripheral-file addresses 0x0100-0x01FF: the processor's own registers,
// the video processor's ports and the mailbox.
int board_peripheral_read(trace_fn &tf, unsigned a)
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

void board_peripheral_write(trace_fn &tf, unsigned a, unsigned char value)
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

// What board_peripheral_read would return, with no side effect at all.
int board_peripheral_peek(unsigned a)
{
    unsigned reg = a - 0x100;
    if (reg <= 0x0B) {
        // The processor's own registers change nothing when read; only their
        // log lines and the current trace name have to be kept out.
        int saved_notrace = g_notrace;
        const char *saved_name = g_func_name;
        g_notrace = 1;
        int v = tms70x0_pf_r(reg);
        g_notrace = saved_notrace;
        g_func_name = saved_name;
        return v;
    }
    switch (a) {
    case 0x124: return tms3556_vram_peek();
    case 0x128: return 0xFF;
    case 0x130: return read_mailbox();
    default: return 0;  // 0x125 and 0x127 read 0 as well, without their effects
    }
}

int io_read_byte_8(long port)
{
    trace_fn &tf = tf_io_read;
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

void io_write_byte_8(long port, unsigned char value)
{
    trace_fn &tf = tf_io_write;
    trace_enter(tf);
    uint8_t old = portb_val;
    TRACE(tf, "Called %04x=%02x", static_cast<unsigned>(port), value);
    switch (port) {
    case 0:
        TRACE_ALWAYS(tf, "port A is read only !");
        break;
    case 1: {
        portb_val = value;
        // Edges of the two handshake lines reach the I/O processor at once,
        // inside the writing instruction, B0 before B1.
        if ((old & 1) && !(value & 1))
            io_cpu_event_callback(B0_LOW);
        if (!(old & 1) && (value & 1))
            io_cpu_event_callback(B0_HIGH);
        if ((old & 2) && !(value & 2))
            io_cpu_event_callback(B1_LOW);
        if (!(old & 2) && (value & 2))
            io_cpu_event_callback(B1_HIGH);
        TRACE(tf, "port B out is %02x raw", value);
        break;
    }
    case 2:
        portc_val = value;
        TRACE_ALWAYS(tf, "port C out is %02x raw", value);
        break;
    case 3:
        portd_val = value;
        TRACE_ALWAYS(tf, "port D out is %02x raw", value);
        break;
    default:
        break;
    }
}

void board_clear_state()
{
    porta_val = portb_val = portc_val = portd_val = 0;
    mailbox_val = 0;
}
