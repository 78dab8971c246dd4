// The frame loop: the processor runs one instruction at a time, each
// instruction's cycles move the event clock, the trace time stamp and the
// scan-line count; 178 cycles make a scan line and 280 lines a frame.
//
// The two programs run the loop in two styles. A program picks its style and
// supplies its end-of-frame work through the host contract (host.h).
#pragma once

#include "host.h"
#include "timers.h"

#include <cstdint>

constexpr int ORV_CYCLES_PER_LINE = 178;
constexpr int ORV_LINES_PER_FRAME = 280;
constexpr int ORV_CYCLES_PER_FRAME = ORV_CYCLES_PER_LINE * ORV_LINES_PER_FRAME;


extern int instr_cycles;
extern veld_time delta;
extern int cycle_line;
extern int scanline;
extern int vblnum;
extern int g_time;
extern int ask_bkpt;
extern uint16_t pc_debug[8];
extern int last_pc_debug;

// Why `orv_loop` returned.
enum orv_stop : int {
    ORV_STOP_FRAME,  // frame style: the frame is done and shown
    ORV_STOP_PC,     // the program counter reached the stop address
    ORV_STOP_BREAK,  // a break request (`ask_bkpt`: video watches, a program's menu)
    ORV_STOP_KEY,    // until-stop style: the host's stop key is held
};

// Runs to the end of the frame (frame style) or to a stop (until-stop style)
// and says why it returned. 0xFFFF runs freely; another value stops there.
// A stop inside a frame abandons that frame: the next call starts a new one.
orv_stop orv_loop(unsigned short stop_pc);

// One instruction outside the frame loop, timed as the frame loop times it:
// `p_pc` = the program counter, the processor runs one instruction (or one
// idle slice; an interrupt taken meanwhile included), its cycles advance the
// event clock and at most one due timer fires. The trace time, the scan-line
// and frame counts and the history in `pc_debug` stay as they are, and
// nothing is drawn. The debugger's step and step over are made of it.
// Returns the cycles used.
int orv_step();

// Warm reset: processor, I/O processor, video processor.
int orv_reset();

// Power-on sequence, once after the firmware has loaded.
void orv_cold_start();

void loop_clear_state();
