#include "board.h"

#include "iocpu.h"
#include "tms3556.h"
#include "tms7000.h"

uint8_t porta_val, portb_val, portc_val, portd_val;
uint8_t mailbox_val;

trace_fn tf_io_read = {"io_read_byte_8()", 0};
trace_fn tf_io_write = {"io_write_byte_8()", 0};

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

// Edges of the two handshake lines reach the I/O processor at once, inside
// the writing instruction, B0 before B1, each handled to completion.
void board_handshake_edges(uint8_t old, uint8_t now)
{
    if ((old & 1) && !(now & 1))
        io_cpu_event_callback(B0_LOW);
    if (!(old & 1) && (now & 1))
        io_cpu_event_callback(B0_HIGH);
    if ((old & 2) && !(now & 2))
        io_cpu_event_callback(B1_LOW);
    if (!(old & 2) && (now & 2))
        io_cpu_event_callback(B1_HIGH);
}

void io_write_byte_8(long port, unsigned char value)
{
    trace_fn &tf = tf_io_write;
    trace_enter(tf);
    TRACE(tf, "Called %04x=%02x", static_cast<unsigned>(port), value);
    switch (port) {
    case 0:
        TRACE_ALWAYS(tf, "port A is read only !");
        break;
    case 1:
        board_port_b_write(value);
        TRACE(tf, "port B out is %02x raw", value);
        break;
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

void board_iop_int1(int level) { tms7000_set_irq_line(0, level); }

void board_cassette_in(bool level)
{
    if (level)
        or_porta(BOARD_CASSETTE_BIT);
    else
        and_porta(static_cast<unsigned char>(~BOARD_CASSETTE_BIT));
}

void board_clear_state()
{
    porta_val = portb_val = portc_val = portd_val = 0;
    mailbox_val = 0;
}
