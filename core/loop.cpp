#include "loop.h"

#include "components.h"
#include "debug_hooks.h"
#include "iocpu.h"
#include "loop_steps.h"
#include "memory.h"
#include "slice.h"
#include "step_back.h"
#include "tms3556.h"
#include "tms7000.h"
#include "tms7000_ops.h"
#include "tms7000_step.h"
#include "trace.h"

orv_host_hooks orv_host = {};

orv_loop_state orv_loop_vars;
orv_stop_point orv_last_stop_point;
orv_loop_resume orv_resume;

namespace {

orv_slice_state &sl = orv_slice;

// The first half of an instruction step: the instruction itself. The frame
// loop tests for a stop before the second half (orv_steps_after): the
// instruction at which a run stops is charged to nothing.
inline int orv_execute_one()
{
    p_pc = tms7000.pc.w;
    return tms7000_step();
}

// The steps after an instruction in the frame loop: the event clock and at
// most one due timer, which sees the frame's counters as they stand; then
// the trace time and the scan line. True when they complete the frame.
bool orv_after_instruction(int cycles)
{
    orv_steps_after(cycles, veld_time_add(g_timer_clock, {0, static_cast<uint32_t>(cycles)}), orv_frame_publish);
    // Lines logged during the next instruction carry this one's start time.
    set_trace_time(static_cast<int>(sl.time));
    orv_frame_count(cycles);
    return sl.lines == ORV_LINES_PER_FRAME;
}

// Runs one frame; ORV_STOP_FRAME when it was completed. Each instruction:
// the processor runs it; the stop test (the instruction at which a run stops
// is charged to nothing); then the steps after it.
//
// The scan-line count, the cycles of the current line and the cycle count
// are kept in `orv_slice` and written to their globals before anything else
// can look at them: before a due timer fires and when the frame ends or
// stops. While slices can run, the instructions up to the next due timer or
// the end of the frame run as one, and only the last of them takes the steps
// (the slice runner calls `orv_slice_boundary`, which opens the next).
// Everything else is exactly as one step after another.
//
// While the debugger's engine watches (orv_debug_armed, never in a slice) it
// is asked before and after each instruction; a stop before one leaves the
// frame open, and `resume` continues it from its published counters.
template <bool until_stop>
orv_stop orv_run_frame(unsigned short stop_pc, bool resume)
{
    sl.line_cycles = resume ? cycle_line : 0;
    sl.lines = resume ? scanline : 0;
    sl.time = static_cast<unsigned>(g_time);
    sl.frame_done = false;
    orv_frame_publish();
    for (;;) {
        if (orv_slice_open(g_timer_clock)) {
            orv_stop why = tms7000_run_slice<until_stop>(stop_pc);
            if (why != ORV_STOP_FRAME) {
                orv_slice_close();
                orv_frame_publish();
                orv_last_stop_point = ORV_POINT_AFTER;
                return why;
            }
            if (sl.frame_done)
                break;
            continue;  // no slice could follow: one step
        }
        if (orv_debug_armed) {
            const orv_stop why = orv_debug_before(true);
            if (why != ORV_STOP_FRAME) {
                orv_frame_publish();
                orv_last_stop_point = ORV_POINT_BEFORE;
                return why;
            }
        }
        if (until_stop)
            orv_note_pc();
        const int cycles = orv_execute_one();
        instr_cycles = cycles;
        orv_stop why = orv_stop_test<until_stop>(stop_pc);
        if (orv_debug_armed)
            why = orv_debug_after(why);
        if (why != ORV_STOP_FRAME) {
            orv_frame_publish();
            orv_last_stop_point = ORV_POINT_AFTER;
            return why;
        }
        if (orv_after_instruction(cycles))
            break;
    }
    orv_frame_publish();
    return ORV_STOP_FRAME;
}

void orv_show_frame(bool poll)
{
    if (poll && orv_host.key_poll)
        orv_host.key_poll();
    tms3556_redraw();
    if (orv_host.frame_ready)
        orv_host.frame_ready();
    if (orv_trace_files_open)
        orv_trace_files_frame();
}

// Takes the open frame a debugger's stop left, if any.
orv_loop_resume orv_take_resume()
{
    const orv_loop_resume r = orv_resume;
    orv_resume = {};
    return r;
}

// After a run stopped in frame `frame`: a stop before an instruction leaves
// the frame open.
void orv_note_stop(int frame)
{
    if (orv_last_stop_point == ORV_POINT_BEFORE)
        orv_resume = {true, frame};
}

orv_stop orv_loop_frame(unsigned short stop_pc)
{
    ask_bkpt = 0;
    orv_stop why = orv_run_frame<false>(stop_pc, orv_take_resume().open);
    if (why != ORV_STOP_FRAME) {
        // Stopped: the partial frame is abandoned (or left open for a
        // debugger's stop), nothing redrawn.
        orv_note_stop(0);
        return why;
    }
    orv_show_frame(vblnum % 2 == 0);
    vblnum++;
    return ORV_STOP_FRAME;
}

// Runs frames until something stops the run, from frame `first_frame` of
// the call (or the frame a debugger's stop left open). With `last_frame` not
// negative, a run made again by the history ends once that frame is complete.
orv_stop orv_loop_until_stop(unsigned short stop_pc, int first_frame, int last_frame)
{
    ask_bkpt = 0;
    orv_stop why;
    const orv_loop_resume resume = orv_take_resume();
    for (int frame = resume.open ? resume.frame : first_frame;; frame++) {
        why = orv_run_frame<true>(stop_pc, resume.open && frame == resume.frame);
        if (why != ORV_STOP_FRAME) {
            orv_note_stop(frame);
            break;
        }
        orv_show_frame(frame % 2 == 0);
        if (orv_host.frame_end)
            orv_host.frame_end();
        why = orv_stop_test<true>(stop_pc);
        if (orv_debug_armed)
            why = orv_debug_frame_end(why);
        if (why != ORV_STOP_FRAME) {
            orv_last_stop_point = ORV_POINT_FRAME_END;
            break;
        }
        if (frame == last_frame)
            return ORV_STOP_FRAME;
        if (orv_history_recording)
            orv_history_frame_done(frame);
    }
    if (orv_host.stopped)
        orv_host.stopped();
    return why;
}

} // namespace

// The debugger's step: the steps after the instruction move the event clock
// and fire a due timer, but not the frame's counters or the trace time.
// While the debugger's engine watches, it sees the instruction on both sides
// (a step runs it whatever the engine finds before it).
int orv_step()
{
    if (orv_history_recording)
        orv_history_step();
    if (orv_debug_armed)
        orv_debug_before(false);
    const int cycles = orv_execute_one();
    if (orv_debug_armed)
        orv_debug_after(ORV_STOP_FRAME);
    orv_steps_after(cycles, veld_time_add(g_timer_clock, {0, static_cast<uint32_t>(cycles)}), [] {});
    return cycles;
}

orv_stop orv_loop_span(unsigned short stop_pc, int first_frame, int last_frame)
{
    if (orv_history_recording)
        orv_history_loop_begin(stop_pc);
    const orv_stop why = orv_host.style == ORV_LOOP_UNTIL_STOP ? orv_loop_until_stop(stop_pc, first_frame, last_frame)
                                                               : orv_loop_frame(stop_pc);
    if (orv_history_recording)
        orv_history_loop_end(why);
    if (why != ORV_STOP_FRAME && orv_trace_files_open)
        orv_trace_files_stopped();
    return why;
}

orv_stop orv_loop(unsigned short stop_pc) { return orv_loop_span(stop_pc, 0, -1); }

int orv_reset()
{
    // A reset between runs is written down by the step-back history.
    if (orv_history_recording)
        orv_history_call([](unsigned long) { orv_reset(); }, 0);
    for (int i = 0; i < orv_component_count; i++)
        if (orv_components[i].reset)
            orv_components[i].reset();
    return 0;
}

void orv_cold_start()
{
    tms7000_reset(nullptr);
    tms3556_init(0x8000);
    tms3556_reset();
    io_cpu_callback(IO_STATE_RESET);
}

void loop_clear_state()
{
    orv_loop_vars = orv_loop_state{};
    orv_last_stop_point = ORV_POINT_AFTER;
    orv_resume = {};
    orv_slice = {};
    orv_slice_live = false;
}
