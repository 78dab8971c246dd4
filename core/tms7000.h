// TMS7020 main processor: state record, reset, execution, interrupts,
// timer 1 and the peripheral file.
#pragma once

#include "trace.h"

#include <cstdint>

// A 16-bit value reachable as a whole or as its two bytes (low byte first).
union PAIR {
    struct {
        uint8_t l, h;
    } b;
    uint16_t w;
};

struct tms7000_state {
    PAIR pc;
    uint8_t sp;
    uint8_t sr;                // C N Z I x x x x, bit 7 first
    uint8_t irq_state[3];      // INT1, INT2, INT3 line levels
    uint8_t rf[128];           // register file; R0 = A, R1 = B
    uint8_t pf[256];           // peripheral file as stored
    uint8_t idle_state;        // 1 after IDLE until an interrupt is taken
    uint8_t t1_capture_latch;
    int8_t t1_prescaler;
    int16_t t1_decrementer;
};

extern tms7000_state tms7000;
// Cycle budget of the execute loop: raised by each call, lowered by every
// instruction, interrupt and idle pass. Timer 1 ticks each time it falls
// below the trigger mark, which then moves 16 lower. Both are moved back
// together at the end of every call (the count to 0), so they stay small.
extern int tms7000_icount;
extern int tms7000_div_by_16_trigger;
// Timer-1 period from the last write to P2 or P3 (for the log only).
extern int tms7000_cycles_per_INT2;

// Status register bits.
constexpr uint8_t SR_C = 0x80;
constexpr uint8_t SR_N = 0x40;
constexpr uint8_t SR_Z = 0x20;
constexpr uint8_t SR_I = 0x10;

void tms7000_reset(void *unused);
// Runs whole instructions until the budget is spent (at least one); returns
// the cycles used, interrupts taken meanwhile included.
int tms7000_orv_execute(int cycles);
// line 0-2 = INT1-INT3; raising a line may take the interrupt at once.
void tms7000_set_irq_line(int line, int state);

// P3 (timer control) bits.
constexpr uint8_t T1_START = 0x80;
constexpr uint8_t T1_EXTERNAL = 0x40;
constexpr uint8_t T1_RELOAD = 0x1F;

// Timer 1 counts on the internal clock (every 16 cycles): started, and not
// waiting for pulses on its external input.
[[gnu::always_inline]] inline bool tms7000_timer1_running()
{
    return (tms7000.pf[3] & (T1_START | T1_EXTERNAL)) == T1_START;
}
// ... on the external input (tms7000_A6EC1).
[[gnu::always_inline]] inline bool tms7000_timer1_external()
{
    return (tms7000.pf[3] & (T1_START | T1_EXTERNAL)) == (T1_START | T1_EXTERNAL);
}

extern trace_fn tf_timer1;            // "tms7000_service_timer1()"
extern trace_fn tf_tms7000_execute;  // "tms7000_orv_execute()"

// How many counts of timer 1 (one every 16 cycles while it runs) from now
// up to the first one that anything outside the timer can see: the one that
// raises INT2, or the next one while a count's trace lines may be asked for.
// The counts before it change only the prescaler and the decrementer.
inline int tms7000_timer1_counts_to_event()
{
    const tms7000_state &c = tms7000;
    if (tf_timer1.flag != -1 || tf_tms7000_execute.flag != -1 || c.t1_prescaler < 0 || c.t1_decrementer < 0)
        return 1;
    return (c.t1_prescaler + 1) + c.t1_decrementer * ((c.pf[3] & T1_RELOAD) + 1);
}
void tms7000_check_IRQ_lines();
void tms7000_do_interrupt(uint16_t vector, uint8_t line);
// One pulse on timer 1's external clock input (nothing drives it here).
void tms7000_A6EC1();

void tms70x0_pf_w(long reg, unsigned char value);
unsigned char tms70x0_pf_r(long reg);
extern trace_fn tf_tms70x0_pf_r;
extern trace_fn tf_tms70x0_pf_w;
// The register file as the bus reaches it (addresses 0x00-0x7F).
inline void tms7000_internal_w(long address, unsigned char value) { tms7000.rf[address & 0x7F] = value; }
inline unsigned char tms7000_internal_r(long address) { return tms7000.rf[address & 0x7F]; }

uint16_t RM16(unsigned long address);
uint16_t RRF16(unsigned long reg);
void WRF16(unsigned long reg, PAIR value);

uint16_t get_pc();
uint8_t get_sp();
uint8_t get_sr();
const char *get_sr_str();
uint8_t get_rf(unsigned char n);

void tms7000_clear_state();
