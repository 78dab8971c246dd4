// The video processor is not built yet: its data ports read 0, the
// prepare-read port reads 0xFF, and writes are dropped.
#include "tms3556.h"

unsigned char tms3556_vram_r(long) { return 0; }
unsigned char tms3556_reg_r(long) { return 0; }
unsigned char tms3556_initptr_r(long) { return 0xFF; }
void tms3556_reg_w(long, unsigned char) {}
void tms3556_vram_w(long, unsigned char) {}
void tms3556_reset() {}
void tms3556_init(int) {}
void tms3556_redraw() {}

void tms3556_clear_state() {}
