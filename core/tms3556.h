// TMS3556 video display processor: registers, video RAM and rendering.
#pragma once

unsigned char tms3556_vram_r(long address);
unsigned char tms3556_reg_r(long address);
unsigned char tms3556_initptr_r(long address);
void tms3556_reg_w(long address, unsigned char value);
void tms3556_vram_w(long address, unsigned char value);
void tms3556_reset();
void tms3556_init(int vram_size);
void tms3556_redraw();

void tms3556_clear_state();
