// The frame loop: the processor runs one instruction at a time, each
// instruction's cycles move the event clock, the trace time stamp and the
// scan-line count; 178 cycles make a scan line and 280 lines a frame.
//
// The two programs run the loop in two styles. A program picks its style and
// supplies its end-of-frame work through the host contract (host.h).
#pragma once

#include "host.h"
#include "timers.h"
#include "tms7000.h"

#include <cstdint>

constexpr int ORV_CYCLES_PER_LINE = 178;
constexpr int ORV_LINES_PER_FRAME = 280;
constexpr int ORV_CYCLES_PER_FRAME = ORV_CYCLES_PER_LINE * ORV_LINES_PER_FRAME;


// The loop's state between and within frames.
struct orv_loop_state {
    int instr_cycles;      // cycles of the instruction just executed
    veld_time delta;       // the event-clock step for it
    int cycle_line;        // cycles charged to the current scan line
    int scanline;          // scan lines completed in the current frame, 0 to 280
    int64_t vblnum;        // frames completed since start (frame style):
                           // 64 bits, so that no run can make it overflow
    int g_time;            // cycles since start, the trace time stamp; wraps
    int ask_bkpt;          // break request: video watches, a program's menu
    uint16_t pc_debug[8];  // until-stop style: the last eight instructions started
    int last_pc_debug;     // slot of pc_debug written next, 0 to 7
};
extern orv_loop_state orv_loop_vars;

// The fields under their own names.
inline int &instr_cycles = orv_loop_vars.instr_cycles;
inline veld_time &delta = orv_loop_vars.delta;
inline int &cycle_line = orv_loop_vars.cycle_line;
inline int &scanline = orv_loop_vars.scanline;
inline int64_t &vblnum = orv_loop_vars.vblnum;
// The largest frame count a loaded state may hold.
constexpr int64_t ORV_MAX_LOADED_FRAMES = int64_t{1} << 62;
inline int &g_time = orv_loop_vars.g_time;
inline int &ask_bkpt = orv_loop_vars.ask_bkpt;
inline uint16_t (&pc_debug)[8] = orv_loop_vars.pc_debug;
inline int &last_pc_debug = orv_loop_vars.last_pc_debug;

// Why `orv_loop` returned.
enum orv_stop : int {
    ORV_STOP_FRAME,  // frame style: the frame is done and shown
    ORV_STOP_PC,     // the program counter reached the stop address
    ORV_STOP_BREAK,  // a break request (`ask_bkpt`: video watches, a program's menu)
    ORV_STOP_KEY,    // until-stop style: the host's stop key is held
    ORV_STOP_DEBUG,  // a debugger's stop before an instruction: a breakpoint,
                     // a watchpoint, a step back's target (debug_engine.h)
};

// Where the last run that stopped stopped: after an instruction (the loop's
// stop test: the instruction is charged to nothing), before one (a
// debugger's stop: every instruction before it is charged), or after a
// frame's end (until-stop style, the test between frames).
enum orv_stop_point : int {
    ORV_POINT_AFTER,
    ORV_POINT_BEFORE,
    ORV_POINT_FRAME_END,
};
extern orv_stop_point orv_last_stop_point;

// A frame a debugger's stop left open: the next run continues it (its scan
// lines, and in the until-stop style which of its frames polls the keys)
// instead of starting a new one, so that a run stopped and resumed there
// is the run that was not stopped. Any other stop abandons the frame.
struct orv_loop_resume {
    bool open;
    int frame;  // until-stop style: frames the stopped run had completed
};
extern orv_loop_resume orv_resume;

// Runs to the end of the frame (frame style) or to a stop (until-stop style)
// and says why it returned. 0xFFFF runs freely; another value stops there.
// A stop inside a frame abandons that frame: the next call starts a new one.
orv_stop orv_loop(unsigned short stop_pc);

// One instruction outside the frame loop, timed as the frame loop times it:
// `p_pc` = the program counter, the processor runs one instruction (or one
// idle pass; an interrupt taken meanwhile included), its cycles advance the
// event clock and at most one due timer fires. The trace time, the scan-line
// and frame counts and the history in `pc_debug` stay as they are, and
// nothing is drawn. The debugger's step and step over are made of it.
// Returns the cycles used.
int orv_step();

// On the fast path the loop runs instructions in slices (slice.h); the
// result is that of one instruction step after another.

// Until-stop style: the instruction about to start goes into the history.
inline void orv_note_pc()
{
    orv_loop_vars.pc_debug[orv_loop_vars.last_pc_debug] = tms7000.pc.w;
    orv_loop_vars.last_pc_debug = (orv_loop_vars.last_pc_debug + 1) & 7;
}

// The stop test after each instruction of the frame loop: why the
// instruction just executed ends the run, if it does.
template <bool until_stop>
[[gnu::always_inline]] inline orv_stop orv_stop_test(unsigned short stop_pc)
{
    if (tms7000.pc.w == stop_pc)
        return ORV_STOP_PC;
    if (orv_loop_vars.ask_bkpt)
        return ORV_STOP_BREAK;
    if (until_stop && orv_host.stop_key && *orv_host.stop_key)
        return ORV_STOP_KEY;
    return ORV_STOP_FRAME;
}

// Warm reset: processor, I/O processor, video processor (the parts with a
// reset in components.h, in its order).
int orv_reset();

// Power-on sequence, once after the firmware has loaded.
void orv_cold_start();

void loop_clear_state();
