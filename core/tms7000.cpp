// TMS7020 core: reset, the execute loop, the three interrupt lines, timer 1
// and the peripheral file P0-P11.
#include "tms7000.h"

#include "board.h"
#include "debug_hooks.h"
#include "memory.h"
#include "tms7000_ops.h"
#include "trace.h"

#include <cstdio>
#include <cstring>

tms7000_state tms7000;
int tms7000_icount;
int tms7000_div_by_16_trigger;
int tms7000_cycles_per_INT2;
trace_fn tf_tms70x0_pf_r = {"tms70x0_pf_r()", 0};
trace_fn tf_timer1 = {"tms7000_service_timer1()", 0};
namespace {

trace_fn tf_set_irq = {"tms7000_set_irq_line()", 0};
trace_fn tf_check_irq = {"tms7000_check_IRQ_lines()", 0};
trace_fn tf_interrupt = {"tms7000_do_interrupt()", 0};

char sr_str[9];

// IOCNT0 (P0) bits.
constexpr uint8_t IOCNT0_INT1_ENABLE = 0x01;
constexpr uint8_t IOCNT0_INT1_FLAG = 0x02;
constexpr uint8_t IOCNT0_INT2_ENABLE = 0x04;
constexpr uint8_t IOCNT0_INT2_FLAG = 0x08;
constexpr uint8_t IOCNT0_INT3_ENABLE = 0x10;
constexpr uint8_t IOCNT0_INT3_FLAG = 0x20;
// Bits a write stores as given; the flag bits in between are cleared by
// writing a 1 to them.
constexpr uint8_t IOCNT0_STORED = 0xD5;
constexpr uint8_t IOCNT0_FLAGS = 0x2A;


int t1_period(uint8_t p3, uint8_t p2) { return 16 * ((p3 & T1_RELOAD) + 1) * (p2 + 1); }

void write_timer_control(uint8_t value)
{
    trace_fn &tf = tf_tms70x0_pf_w;
    tms7000_state &c = tms7000;
    uint8_t old = c.pf[3];
    c.pf[3] = value;
    int reload = value & T1_RELOAD;
    tms7000_cycles_per_INT2 = t1_period(value, c.pf[2]);
    if (!(old & T1_START) && (value & T1_START)) {
        // Starting reloads the prescaler only; the decrementer holds its count.
        c.t1_prescaler = static_cast<int8_t>(reload);
        TRACE(tf, "tms7000: Timer started. Prescaler: 0x%2x (Cycles per interrupt: %d)\n", reload,
              tms7000_cycles_per_INT2);
    } else if ((old & T1_START) && !(value & T1_START)) {
        c.t1_prescaler = static_cast<int8_t>(reload);
        TRACE(tf, "tms7000: Timer stopped. Prescaler: 0x%2x (Cycles per interrupt: %d)", reload,
              tms7000_cycles_per_INT2);
    } else {
        TRACE(tf, "tms7000: Timer adjusted. Prescaler: 0x%2x (Cycles per interrupt: %d)", reload,
              tms7000_cycles_per_INT2);
    }
}

} // namespace

trace_fn tf_tms7000_execute = {"tms7000_orv_execute()", 0};
trace_fn tf_tms70x0_pf_w = {"tms70x0_pf_w()", 0};

// One count of timer 1: the prescaler counts its reload value down to 0 and
// underflows on the next count; each underflow counts the decrementer down
// the same way, and a decrementer underflow raises INT2.
void tms7000_service_timer1()
{
    trace_fn &tf = tf_timer1;
    trace_enter(tf);
    tms7000_state &c = tms7000;
    if (--c.t1_prescaler >= 0)
        return;
    c.t1_prescaler = static_cast<int8_t>(c.pf[3] & T1_RELOAD);
    if (--c.t1_decrementer >= 0)
        return;
    c.t1_decrementer = c.pf[2];
    tms7000_set_irq_line(1, 1);
    TRACE(tf, "tms7000: trigger int2");
}

void tms7000_timer1_skip(int counts)
{
    tms7000_state &c = tms7000;
    trace_enter(tf_timer1);
    const int p = c.t1_prescaler;
    if (counts <= p) {
        c.t1_prescaler = static_cast<int8_t>(p - counts);
        return;
    }
    // The first underflow after p + 1 counts, then one every reload + 1.
    const int period = (c.pf[3] & T1_RELOAD) + 1;
    const int after = counts - (p + 1);
    c.t1_decrementer = static_cast<int16_t>(c.t1_decrementer - 1 - after / period);
    c.t1_prescaler = static_cast<int8_t>(period - 1 - after % period);
}

void tms7000_reset(void *)
{
    tms7000_state &c = tms7000;
    c.idle_state = 0;
    std::memset(c.irq_state, 0, sizeof c.irq_state);

    // Ports C and D come up as inputs; the data registers are then set high.
    tms7000_wr(0x109, 0x00);
    tms7000_wr(0x10B, 0x00);
    tms7000_wr(0x104, 0xFF);
    tms7000_wr(0x108, 0xFF);
    tms7000_wr(0x10A, 0xFF);

    c.sp = 1;
    c.sr = 0;
    // Disables the three interrupts; flags already latched survive a reset.
    tms7000_wr(0x100, 0x00);
    // The program counter at the moment of reset is left in A:B.
    tms7000_wr(0, c.pc.b.h);
    tms7000_wr(1, c.pc.b.l);
    c.pc.w = RM16(0xFFFE);
    tms7000_div_by_16_trigger = -16;
}

int tms7000_orv_execute(int cycles)
{
    // Callers pass 1; anything else is kept within what the counts can hold.
    if (cycles < 0)
        cycles = 0;
    else if (cycles > (1 << 30))
        cycles = 1 << 30;
    return tms7000_run(cycles);
}

void tms7000_set_irq_line(int line, int state)
{
    static const uint8_t flag[3] = {IOCNT0_INT1_FLAG, IOCNT0_INT2_FLAG, IOCNT0_INT3_FLAG};
    trace_fn &tf = tf_set_irq;
    trace_enter(tf);
    if (line < 0 || line > 2)
        return;
    uint8_t level = state ? 1 : 0;
    tms7000_state &c = tms7000;
    if (c.irq_state[line] == level)
        return;
    TRACE(tf, "tms7000: set_irq_line (INT%d, state %d)\n", line + 1, level);
    c.irq_state[line] = level;
    if (!level)
        return;
    c.pf[0] |= flag[line];
    // INT3 also freezes the decrementer's count in the capture latch.
    if (line == 2)
        c.t1_capture_latch = static_cast<uint8_t>(c.t1_decrementer & 0xFF);
    tms7000_check_IRQ_lines();
}

void tms7000_check_IRQ_lines()
{
    trace_fn &tf = tf_check_irq;
    trace_enter(tf);
    tms7000_state &c = tms7000;
    if (!(c.sr & SR_I))
        return;

    // INT1 and INT3 are latched in IOCNT0, so a pulse that came while they
    // were masked is still served; INT2 is served only from its line.
    bool int1 = c.irq_state[0] != 0;
    if (!int1 && (c.pf[0] & IOCNT0_INT1_FLAG)) {
        TRACE(tf, "IRQ1 was delayed");
        int1 = true;
    }
    if (int1 && (c.pf[0] & IOCNT0_INT1_ENABLE)) {
        tms7000_do_interrupt(0xFFFC, 0);
        c.pf[0] &= static_cast<uint8_t>(~IOCNT0_INT1_FLAG);
        return;
    }

    if (c.irq_state[1] && (c.pf[0] & IOCNT0_INT2_ENABLE)) {
        tms7000_do_interrupt(0xFFFA, 1);
        c.irq_state[1] = 0;
        return;
    }

    bool int3 = c.irq_state[2] != 0;
    if (!int3 && (c.pf[0] & IOCNT0_INT3_FLAG)) {
        TRACE(tf, "IRQ3 was delayed");
        int3 = true;
    }
    if (int3 && (c.pf[0] & IOCNT0_INT3_ENABLE)) {
        tms7000_do_interrupt(0xFFF8, 2);
        c.pf[0] &= static_cast<uint8_t>(~IOCNT0_INT3_FLAG);
    }
}

void tms7000_do_interrupt(uint16_t vector, uint8_t)
{
    trace_fn &tf = tf_interrupt;
    trace_enter(tf);
    TRACE(tf, "called");
    tms7000_state &c = tms7000;
    orv_bus_interrupt = true;  // for the watchpoints: these accesses are the entry's
    tms7000_push(c.sr);
    tms7000_push(c.pc.b.h);
    tms7000_push(c.pc.b.l);
    c.sr = 0;
    c.pc.w = RM16(vector);
    orv_bus_interrupt = false;
    // Waking from IDLE is two cycles quicker than interrupting an instruction.
    if (c.idle_state) {
        tms7000_icount -= 17;
        c.idle_state = 0;
    } else {
        tms7000_icount -= 19;
    }
    TRACE(tf, "void interrupt handle");
}

void tms7000_A6EC1()
{
    if (tms7000_timer1_external())
        tms7000_service_timer1();
}

void tms70x0_pf_w(long reg, unsigned char value)
{
    trace_fn &tf = tf_tms70x0_pf_w;
    trace_enter(tf);
    tms7000_state &c = tms7000;
    const unsigned r = static_cast<unsigned>(reg) & 0xFF;
    switch (r) {
    case 0: {
        TRACE(tf, "IOCNT0 write %02x", value);
        uint8_t now = (value & IOCNT0_STORED) | (c.pf[0] & IOCNT0_FLAGS & ~value);
        c.pf[0] = now;
        TRACE(tf, "IOCNT0 write result %02x", now);
        tms7000_check_IRQ_lines();
        break;
    }
    case 2:
        c.pf[2] = value;
        c.t1_decrementer = value;
        tms7000_cycles_per_INT2 = t1_period(c.pf[3], value);
        TRACE(tf, "tms7000: Timer adjusted. Decrementer: 0x%2x (Cycles per interrupt: %d)", value,
              tms7000_cycles_per_INT2);
        break;
    case 3:
        write_timer_control(value);
        break;
    case 4:
        // Port A is input only.
        break;
    case 6:
        TRACE(tf, "PORT B Write %02x", value);
        c.pf[6] = value;
        io_write_byte_8(1, value);
        break;
    case 8:
        // Only the bits the direction register makes outputs are driven.
        TRACE(tf, "PORT C Write %02x", value);
        c.pf[8] = value & c.pf[9];
        io_write_byte_8(2, c.pf[8]);
        break;
    case 10:
        TRACE(tf, "PORT D Write %02x", value);
        c.pf[10] = value & c.pf[11];
        io_write_byte_8(3, c.pf[10]);
        break;
    case 9:
    case 11:
        c.pf[r] = value;
        break;
    default:
        c.pf[r] = value;
        TRACE_ALWAYS(tf, "Other io port P%d", static_cast<int>(r));
        break;
    }
}

unsigned char tms70x0_pf_r(long reg)
{
    trace_fn &tf = tf_tms70x0_pf_r;
    trace_enter(tf);
    const tms7000_state &c = tms7000;
    const unsigned r = static_cast<unsigned>(reg) & 0xFF;
    switch (r) {
    case 0: {
        // A line still held shows as its flag even after the program cleared it.
        uint8_t v = c.pf[0] | (c.irq_state[0] ? IOCNT0_INT1_FLAG : 0) |
                    (c.irq_state[2] ? IOCNT0_INT3_FLAG : 0);
        TRACE(tf, "reading IOCNT0 %02x", v);
        return v;
    }
    case 2:
        return static_cast<uint8_t>(c.t1_decrementer & 0xFF);
    case 3:
        return c.t1_capture_latch;
    case 4:
        return static_cast<uint8_t>(io_read_byte_8(0));
    case 6:
    case 9:
    case 11:
        return c.pf[r];
    case 8: {
        uint8_t in = static_cast<uint8_t>(io_read_byte_8(2));
        return (c.pf[9] & c.pf[8]) | (~c.pf[9] & in);
    }
    case 10: {
        uint8_t in = static_cast<uint8_t>(io_read_byte_8(3));
        return (c.pf[11] & c.pf[10]) | (~c.pf[11] & in);
    }
    default:
        TRACE_ALWAYS(tf, "Other io port P%d", static_cast<int>(r));
        return c.pf[r];
    }
}

uint16_t RM16(unsigned long address)
{
    uint16_t a = static_cast<uint16_t>(address);
    uint8_t hi = tms7000_rd(a);
    uint8_t lo = tms7000_rd(static_cast<uint16_t>(a + 1));
    return static_cast<uint16_t>(hi << 8 | lo);
}

uint16_t RRF16(unsigned long reg) { return tms7000_rrf16(static_cast<unsigned>(reg)); }

void WRF16(unsigned long reg, PAIR value) { tms7000_wrf16(static_cast<unsigned>(reg), value.w); }

uint16_t get_pc() { return tms7000.pc.w; }
uint8_t get_sp() { return tms7000.sp; }
uint8_t get_sr() { return tms7000.sr; }
uint8_t get_rf(unsigned char n) { return tms7000.rf[n & 0x7F]; }

const char *get_sr_str()
{
    const uint8_t sr = tms7000.sr;
    auto letter = [sr](int bit, char c) { return (sr >> bit & 1) ? c : static_cast<char>(c + 'a' - 'A'); };
    std::snprintf(sr_str, sizeof sr_str, "%c%c%c%c%c%c%c%c", letter(7, 'C'), letter(6, 'N'), letter(5, 'Z'),
                  letter(4, 'I'), letter(3, 'X'), letter(2, 'X'), letter(1, 'X'), letter(0, 'X'));
    return sr_str;
}

void tms7000_clear_state()
{
    std::memset(&tms7000, 0, sizeof tms7000);
    tms7000_icount = 0;
    tms7000_div_by_16_trigger = 0;
    tms7000_cycles_per_INT2 = 0;
    std::memset(sr_str, 0, sizeof sr_str);
}
