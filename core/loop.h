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

#include <climits>
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
    int vblnum;            // frames completed since start (frame style)
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
inline int &vblnum = orv_loop_vars.vblnum;
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

// A slice: instructions run back to back while the frame loop's counters
// (event clock, scan line, trace time, the last instruction's cycles) stay
// where they stood at its start. They are worked out from the processor's
// cycle count whenever something outside the processor may look at them (a
// bus access beyond the register file, RAM and ROMs, a log line). A slice
// never passes the next due timer or the end of the frame, so between its
// instructions the loop would have had nothing to do but count. Only the
// full bus path can arm a timer or request a break: the slice then ends with
// that instruction.
struct orv_slice_state {
    int base;         // tms7000_icount when the slice started
    int cur;          // ... when the instruction being run started
    int prev;         // ... when the one before it started (base for the first)
    int end;          // the slice ends once the count is this or lower
    int limit;        // the runner looks up once the count is this or lower:
                      // the end, the idle step or timer 1's next count if it
                      // runs, whichever comes first (always while the
                      // processor is idle)
    int rest;         // ... the end or the idle step, whichever comes first
    int timer1;       // timer 1's next count that anything can see is due
                      // once the count is this or lower (INT_MIN: stopped)
    // The I/O processor's idle cycle inside the slice (`orv_slice_idle_fast`):
    // while `idle_fast`, the state timer (in the table's slot `idle_slot`)
    // waits for "ready" or "poll" and is due once the count is `idle_end` or
    // lower; `end` then stands for the other timers (due at `other_due`)
    // and the frame's end. Otherwise `idle_end` is INT_MIN.
    bool idle_fast;
    int idle_slot;
    int idle_end;
    veld_time other_due;
    unsigned timer_edits;  // `veld_timer_edits` when these were worked out
    int frame_left;   // cycles left in the frame at its start
    veld_time due;    // the next due timer it runs up to
    veld_time clock;  // the event clock at the start
    unsigned time;    // the frame's counters, as the last completed step left them
    int line_cycles;
    int lines;
    bool frame_done;  // the last step completed the frame
};
extern orv_slice_state orv_slice;

// After the slice's end or timer 1's next count moved, timer 1 started or
// stopped, or the processor went idle or woke. Timer 1's counts are not
// followed instruction by instruction while the timer is stopped, nor those
// before the first count anything can see (`tms7000_timer1_counts_to_event`)
// while it runs: they are brought up before a full bus access
// (`orv_slice_sync`), the only way to look at the timer or to start it, and
// at the slice's end, with the same result.
inline void orv_slice_timer1_limit()
{
    int limit = orv_slice.rest;
    int timer1 = INT_MIN;
    if (tms7000_timer1_running()) {
        timer1 = tms7000_div_by_16_trigger - 16 * (tms7000_timer1_counts_to_event() - 1) - 1;
        if (timer1 > limit)
            limit = timer1;
    }
    orv_slice.timer1 = timer1;
    // While the processor is idle, every step takes the runner's full test.
    orv_slice.limit = tms7000.idle_state ? INT_MAX : limit;
}

// ... after the end or the idle step moved as well.
inline void orv_slice_set_limit()
{
    orv_slice.rest = orv_slice.end > orv_slice.idle_end ? orv_slice.end : orv_slice.idle_end;
    orv_slice_timer1_limit();
}

// The slice runner's timer-1 step after an instruction whose count passed
// the tick mark: the counts before the first one anything can see are taken
// at once (`tms7000_timer1_skip`), that one as usual.
void orv_slice_count_timer1();

// True while a slice runs: the counters above, the event clock and the
// trace time stamp then lag behind the processor. Whatever may look at them
// from inside an instruction calls one of these first, which bring them to
// where they stand when the current instruction started: the full bus path
// the ones devices read (event clock, scan line, cycle count), a log line
// also the trace stamp and the last instruction's cycles, which only the
// loop and the log read.
extern bool orv_slice_live;
void orv_slice_sync();
void orv_slice_sync_log();
// After such an access: ends the slice with the current instruction if the
// access armed a timer due sooner or requested a break.
void orv_slice_check();
// The slice runner's call at the end of a slice. When the due timer is a
// quiet step of the I/O processor's idle cycle, the step is taken and the
// same slice goes on to the next due timer. Otherwise the steps after its
// last instruction (a due timer fires), then the next slice. False when none
// can follow: the frame is complete (`frame_done`), or the loop goes on one
// step at a time.
bool orv_slice_boundary();

// The slice runner's quiet step of the I/O processor's idle cycle, taken
// when the count reaches `idle_end` and nothing else is due: what
// `io_cpu_idle_fire` would do, knowing where the state timer is and when the
// others are due. False when the step would not be quiet; the slice then
// ends there (`orv_slice_boundary`).
bool orv_slice_idle_fast();

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

// Warm reset: processor, I/O processor, video processor.
int orv_reset();

// Power-on sequence, once after the firmware has loaded.
void orv_cold_start();

void loop_clear_state();
