// The steps after an instruction, one set for every way of running: the
// frame loop's instruction step, the end of a slice, a speech tick taken
// inside a slice and the debugger's step. And the frame's counters they
// move (kept in `orv_slice` between and within slices).
#pragma once

#include "iocpu_idle.h"
#include "loop.h"
#include "slice.h"
#include "timers.h"
#include "trace.h"

// After an instruction of `cycles`, with `now` the event clock after it (as
// the caller has it in hand: read back whole just after its halves were
// written, it would stall the processor): its cycles are recorded, the
// clock moves there, and when a timer is due the frame's counters are shown
// as they stood when the instruction started (`show_counters`) and the one
// due timer fires (the I/O processor's idle step taken in place, when it
// may be one: `may_idle`).
template <bool may_idle = true, class Show>
[[gnu::always_inline]] inline void orv_steps_after(int cycles, veld_time now, Show show_counters)
{
    instr_cycles = cycles;
    delta = {0, static_cast<uint32_t>(cycles)};
    g_timer_clock = now;
    trace_enter(tf_check_timers);
    if (!veld_later_than(now, g_timer_next_due))
        return;
    show_counters();
    if (!may_idle || !io_cpu_idle_fire(now))
        veld_check_timers_due();
}

// The frame's counters as they stand between steps, written to the loop's
// globals.
inline void orv_frame_publish()
{
    const orv_slice_state &sl = orv_slice;
    cycle_line = sl.line_cycles;
    scanline = sl.lines;
    g_time = static_cast<int>(sl.time);
}

// ... as they stand `before` cycles later.
inline void orv_frame_show(int before)
{
    const orv_slice_state &sl = orv_slice;
    const int frame_cycles = sl.line_cycles + before;
    if (frame_cycles < ORV_CYCLES_PER_LINE) {  // most slices are shorter than a line
        cycle_line = frame_cycles;
        scanline = sl.lines;
    } else {
        cycle_line = frame_cycles % ORV_CYCLES_PER_LINE;
        scanline = sl.lines + frame_cycles / ORV_CYCLES_PER_LINE;
    }
    g_time = static_cast<int>(sl.time + static_cast<unsigned>(before));
}

// Moves the frame's counters on by `cycles`: the cycle count, and 178
// cycles a scan line.
inline void orv_frame_count(int cycles)
{
    orv_slice_state &sl = orv_slice;
    sl.time += static_cast<unsigned>(cycles);
    sl.line_cycles += cycles;
    while (sl.line_cycles >= ORV_CYCLES_PER_LINE) {
        sl.line_cycles -= ORV_CYCLES_PER_LINE;
        sl.lines++;
    }
}

// Cycles left in the frame.
inline int orv_frame_left()
{
    const orv_slice_state &sl = orv_slice;
    return ORV_CYCLES_PER_FRAME - sl.lines * ORV_CYCLES_PER_LINE - sl.line_cycles;
}
