// Placeholder until the processor lands: register file only.
#include "tms7000.h"

#include <cstring>

tms7000_state tms7000;
int tms7000_icount;
int tms7000_div_by_16_trigger;
int tms7000_cycles_per_INT2;

void tms7000_reset(void *) {}
int tms7000_orv_execute(int) { return 4; }
void tms7000_set_irq_line(int, int) {}
void tms7000_check_IRQ_lines() {}
void tms7000_do_interrupt(uint16_t, uint8_t) {}
void tms7000_A6EC1() {}
void tms70x0_pf_w(long reg, unsigned char value) { tms7000.pf[reg & 0xFF] = value; }
unsigned char tms70x0_pf_r(long reg) { return tms7000.pf[reg & 0xFF]; }
void tms7000_internal_w(long address, unsigned char value) { tms7000.rf[address & 0x7F] = value; }
unsigned char tms7000_internal_r(long address) { return tms7000.rf[address & 0x7F]; }
uint16_t get_pc() { return tms7000.pc.w; }
uint8_t get_sp() { return tms7000.sp; }
uint8_t get_sr() { return tms7000.sr; }
uint8_t get_rf(unsigned char n) { return tms7000.rf[n & 0x7F]; }
void tms7000_clear_state() { std::memset(&tms7000, 0, sizeof tms7000); }
