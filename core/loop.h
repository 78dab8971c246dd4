// The frame loop: the processor runs one instruction at a time, each
// instruction's cycles move the event clock, the trace time stamp and the
// scan-line count; 178 cycles make a scan line and 280 lines a frame.
//
// The two programs run the loop in two styles. A program picks its style and
// supplies its end-of-frame work through `orv_host`; the core knows no host
// library.
#pragma once

#include "timers.h"

#include <cstdint>

constexpr int ORV_CYCLES_PER_LINE = 178;
constexpr int ORV_LINES_PER_FRAME = 280;
constexpr int ORV_CYCLES_PER_FRAME = ORV_CYCLES_PER_LINE * ORV_LINES_PER_FRAME;

enum orv_loop_style {
    // One frame per call; the keyboard is polled when `vblnum` is even.
    ORV_LOOP_FRAME,
    // Frames until a stop; the keyboard is polled on every second frame of
    // the call, the last eight program counters are kept in `pc_debug`, and
    // the host's stop key ends the run.
    ORV_LOOP_UNTIL_STOP,
};

struct orv_host_hooks {
    orv_loop_style style;
    void (*key_poll)();             // poll the host keyboard
    void (*frame_ready)();          // the picture has just been redrawn: show it
    void (*frame_end)();            // until-stop style: after showing (menu, pacing)
    void (*stopped)();              // until-stop style: the run has stopped
    const volatile char *stop_key;  // until-stop style: nonzero while held
};

extern orv_host_hooks orv_host;

extern int instr_cycles;
extern veld_time delta;
extern int cycle_line;
extern int scanline;
extern int vblnum;
extern int g_time;
extern int ask_bkpt;
extern uint16_t pc_debug[8];
extern int last_pc_debug;

// Runs to the end of the frame (frame style, returns 0) or to a stop (until-stop
// style, returns 2). 0xFFFF runs freely; another value stops there.
int orv_loop(unsigned short stop_pc);

// Warm reset: processor, I/O processor, video processor.
int orv_reset();

// Power-on sequence, once after the firmware has loaded.
void orv_cold_start();

void loop_clear_state();
