#include "loop.h"

#include "iocpu.h"
#include "iocpu_idle.h"
#include "memory.h"
#include "tms3556.h"
#include "tms7000.h"
#include "tms7000_step.h"
#include "trace.h"

#include <climits>

orv_host_hooks orv_host = {};

orv_loop_state orv_loop_vars;
bool orv_slice_live;
orv_slice_state orv_slice;

namespace {

// The two halves of one instruction step. The frame loop tests for a stop
// between them: the instruction at which a run stops is charged to nothing.
inline int orv_execute_one()
{
    p_pc = tms7000.pc.w;
    return tms7000_step();
}

// The event clock moves here and nowhere else; at most one due timer fires.
inline void orv_advance_clock(int cycles)
{
    delta = {0, static_cast<uint32_t>(cycles)};
    veld_timer_update_clock(delta);
    veld_check_timers();
}

// Cycles after which the event clock is later than the next due timer,
// when the loop adds them one instruction at a time; 0 if it already is.
int orv_cycles_to_due(veld_time clock, veld_time due, int cap)
{
    if (!veld_later_than(due, clock))
        return 0;
    int64_t n;
    if (due.seconds == clock.seconds)
        n = static_cast<int64_t>(due.cycles) - clock.cycles + 1;
    else if (due.seconds == clock.seconds + 1)
        n = static_cast<int64_t>(due.cycles) + VELD_CYCLES_PER_SECOND + 1 - clock.cycles;
    else
        n = cap;
    return n < cap ? static_cast<int>(n) : cap;
}

orv_slice_state &sl = orv_slice;

void orv_publish()
{
    cycle_line = sl.line_cycles;
    scanline = sl.lines;
    g_time = static_cast<int>(sl.time);
}

// Cycles left in the frame when the current slice started.
int orv_frame_left() { return ORV_CYCLES_PER_FRAME - sl.lines * ORV_CYCLES_PER_LINE - sl.line_cycles; }

// Moves the frame's scan-line count on by `cycles`.
void orv_count_lines(int cycles)
{
    sl.line_cycles += cycles;
    while (sl.line_cycles >= ORV_CYCLES_PER_LINE) {
        sl.line_cycles -= ORV_CYCLES_PER_LINE;
        sl.lines++;
    }
}

// Shows the scan line, its cycles and the cycle count as they stand
// `before` cycles into the slice.
void orv_show_counters(int before)
{
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

// The steps after an instruction of `cycles`: the event clock moves by them
// and at most one due timer fires; they go to the scan line and the trace
// time. True when they complete the frame.
bool orv_after_instruction(int cycles)
{
    delta = {0, static_cast<uint32_t>(cycles)};
    veld_timer_update_clock(delta);
    trace_enter(tf_check_timers);
    if (veld_later_than(g_timer_clock, g_timer_next_due)) {
        orv_publish();
        if (!io_cpu_idle_fire(g_timer_clock))
            veld_check_timers_due();
    }
    // Lines logged during the next instruction carry this one's start time.
    set_trace_time(static_cast<int>(sl.time));
    sl.time += static_cast<unsigned>(cycles);
    orv_count_lines(cycles);
    return sl.lines == ORV_LINES_PER_FRAME;
}

// Where the slice ends, from the next due timer (`sl.due`): that timer or the
// frame's end. When the due timer is the I/O processor's state timer,
// waiting for "ready" or "poll" while no function is traced, the runner
// takes its quiet steps itself (`orv_slice_idle_fast`) and the slice ends at
// the next of the other timers instead.
void orv_slice_set_end()
{
    sl.idle_fast = false;
    sl.idle_end = INT_MIN;
    sl.timer_edits = veld_timer_edits;
    sl.end = sl.base - orv_cycles_to_due(sl.clock, sl.due, sl.frame_left);
    if (!orv_fast.idle_steps)
        return;
    int slot = -1;
    veld_time other = VELD_NEVER;
    for (int k = 0; k < g_timer_num; k++) {
        const veld_timer &t = timer_tab[k];
        if (t.tag == IO_STATE_TIMER)
            slot = k;
        else if (veld_later_than(other, t.due))
            other = t.due;
    }
    if (slot < 0)
        return;
    const veld_timer &t = timer_tab[slot];
    if (t.callback != io_cpu_callback || (t.param != IO_STATE_READY && t.param != IO_STATE_POLL) ||
        !veld_later_than(other, t.due))
        return;  // not waiting, or another timer is due first or with it
    sl.idle_fast = true;
    sl.idle_slot = slot;
    sl.other_due = other;
    sl.idle_end = sl.end;
    sl.end = sl.base - orv_cycles_to_due(sl.clock, other, sl.frame_left);
}

// Opens a slice up to the next due timer or the end of the frame, when one
// can run: once the bus functions' trace flags are decided off (the inline
// paths are taken) and the execute loop's is decided, while no break is
// requested, and when it would hold more than one instruction. The event
// clock comes as the caller has it in hand.
bool orv_slice_open(uint32_t now_seconds, uint32_t now_cycles)
{
    const veld_time now = {now_seconds, now_cycles};
    if (!orv_fast.slices || ask_bkpt)
        return false;
    const int frame_left = orv_frame_left();
    int budget = orv_cycles_to_due(now, g_timer_next_due, frame_left);
    if (budget <= 1)
        return false;
    sl.frame_left = frame_left;
    const int base = tms7000_budget(budget);
    sl.base = sl.cur = sl.prev = base;
    sl.due = g_timer_next_due;
    sl.clock = now;
    orv_slice_set_end();
    orv_slice_set_limit();
    orv_slice_live = true;
    return true;
}

// Closes the slice after its last instruction: the counters move to where
// they stand when that instruction started, as if each instruction before
// it had taken the steps after it. Returns its cycles.
int orv_slice_close()
{
    orv_slice_live = false;
    const int cycles = sl.cur - tms7000_icount;
    tms7000_budget_close();
    instr_cycles = cycles;
    const int before = sl.base - sl.cur;
    if (before > 0) {
        set_trace_time(static_cast<int>(sl.time + static_cast<unsigned>(sl.base - sl.prev)));
        delta = {0, static_cast<uint32_t>(sl.prev - sl.cur)};
        g_timer_clock = veld_time_add(sl.clock, {0, static_cast<uint32_t>(before)});
        sl.time += static_cast<unsigned>(before);
        orv_count_lines(before);
    }
    return cycles;
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
template <bool until_stop>
orv_stop orv_run_frame(unsigned short stop_pc)
{
    sl.line_cycles = 0;
    sl.lines = 0;
    sl.time = static_cast<unsigned>(g_time);
    sl.frame_done = false;
    orv_publish();
    for (;;) {
        if (orv_slice_open(g_timer_clock.seconds, g_timer_clock.cycles)) {
            orv_stop why = tms7000_run_slice<until_stop>(stop_pc);
            if (why != ORV_STOP_FRAME) {
                orv_slice_close();
                orv_publish();
                return why;
            }
            if (sl.frame_done)
                break;
            continue;  // no slice could follow: one step
        }
        if (until_stop)
            orv_note_pc();
        const int cycles = orv_execute_one();
        instr_cycles = cycles;
        orv_stop why = orv_stop_test<until_stop>(stop_pc);
        if (why != ORV_STOP_FRAME) {
            orv_publish();
            return why;
        }
        if (orv_after_instruction(cycles))
            break;
    }
    orv_publish();
    return ORV_STOP_FRAME;
}

void orv_show_frame(bool poll)
{
    if (poll && orv_host.key_poll)
        orv_host.key_poll();
    tms3556_redraw();
    if (orv_host.frame_ready)
        orv_host.frame_ready();
}

orv_stop orv_loop_frame(unsigned short stop_pc)
{
    ask_bkpt = 0;
    orv_stop why = orv_run_frame<false>(stop_pc);
    if (why != ORV_STOP_FRAME)
        return why;  // stopped: the partial frame is abandoned, nothing redrawn
    orv_show_frame(vblnum % 2 == 0);
    vblnum++;
    return ORV_STOP_FRAME;
}

orv_stop orv_loop_until_stop(unsigned short stop_pc)
{
    ask_bkpt = 0;
    orv_stop why;
    for (int frame = 0;; frame++) {
        why = orv_run_frame<true>(stop_pc);
        if (why != ORV_STOP_FRAME)
            break;
        orv_show_frame(frame % 2 == 0);
        if (orv_host.frame_end)
            orv_host.frame_end();
        why = orv_stop_test<true>(stop_pc);
        if (why != ORV_STOP_FRAME)
            break;
    }
    if (orv_host.stopped)
        orv_host.stopped();
    return why;
}

} // namespace

namespace {

// Whether the due timer may be taken without ending the slice, as far as the
// slice goes: no bus access armed a timer or requested a break, and the
// frame does not end with the instruction. `now`: the event clock after it.
[[gnu::always_inline]] inline bool orv_slice_goes_on(veld_time &now)
{
    if (ask_bkpt || g_timer_next_due.cycles != sl.due.cycles || g_timer_next_due.seconds != sl.due.seconds)
        return false;
    const int used = sl.base - tms7000_icount;
    if (used >= sl.frame_left)
        return false;
    now = veld_time_add(sl.clock, {0, static_cast<uint32_t>(used)});
    return veld_later_than(now, sl.due);
}

// The steps after the slice's last instruction as far as anything can see
// them: its cycles, the event clock after it; with a timer due, the counters
// as they stood when it started. The clock is passed as a value: reading it
// back whole just after writing its halves would stall the processor.
[[gnu::always_inline]] inline void orv_slice_show_step(int cycles, int before, veld_time now, bool due)
{
    instr_cycles = cycles;
    delta = {0, static_cast<uint32_t>(cycles)};
    g_timer_clock = now;
    trace_enter(tf_check_timers);
    if (!due)
        return;
    orv_show_counters(before);
    if (before > 0)
        set_trace_time(static_cast<int>(sl.time + static_cast<unsigned>(sl.base - sl.prev)));
}

// The two steps the slice goes on after, once `orv_slice_goes_on` allowed
// it (`now`: the event clock after the instruction). First a quiet step of
// the I/O processor's idle cycle: it reads none of the loop's counters, so
// they stay lazy, and the slice goes on up to the next due timer. Not when
// the step would not be quiet.
[[gnu::always_inline]] inline bool orv_slice_idle_step(veld_time now)
{
    if (!io_cpu_idle_fire(now))
        return false;
    sl.due = g_timer_next_due;
    orv_slice_set_end();
    orv_slice_set_limit();
    return true;
}

// A tick of the speech clock, taken inside the slice: the steps after the
// slice's last instruction are taken as `orv_slice_boundary` takes them (the
// same counters shown, the same lines logged), but the slice goes on instead
// of closing and opening again. The tick acts on the synthesizer, the sound
// output and the I/O processor's speech flags only: neither the processor's
// count nor a break request. Not when it is not the first due timer in table
// order.
bool orv_slice_speech_tick(veld_time now)
{
    const int first = veld_first_due(now);
    if (first == g_timer_num || timer_tab[first].tag != SPEECH_TIMER || timer_tab[first].callback != speech_buffer_do)
        return false;
    orv_slice_live = false;  // the counters are shown as they stand
    orv_slice_show_step(sl.cur - tms7000_icount, sl.base - sl.cur, now, true);
    veld_check_timers_due();
    orv_slice_live = true;  // a line of the next instruction takes its stamp then
    sl.due = g_timer_next_due;
    orv_slice_set_end();
    if (ask_bkpt)  // (a host's sound hook, say): the next instruction ends the slice
        sl.end = INT_MAX;
    orv_slice_set_limit();
    return true;
}

} // namespace

bool orv_slice_idle_fast()
{
    const int state = timer_tab[sl.idle_slot].param;
    if (!io_cpu_idle_quiet(state))
        return false;
    const int used = sl.base - tms7000_icount;
    const veld_time now = veld_time_add(sl.clock, {0, static_cast<uint32_t>(used)});
    io_cpu_idle_step(sl.idle_slot, state, now);
    // Armed again at the end of the table; the slice knows of the change.
    sl.idle_slot = g_timer_num - 1;
    sl.timer_edits = veld_timer_edits;
    const veld_timer &t = timer_tab[sl.idle_slot];
    if (veld_later_than(sl.other_due, t.due)) {
        g_timer_next_due = sl.due = t.due;
        sl.idle_end = sl.base - orv_cycles_to_due(sl.clock, t.due, sl.frame_left);
    } else {
        // The other timers come first now: the slice ends with them.
        g_timer_next_due = sl.due = sl.other_due;
        sl.idle_fast = false;
        sl.idle_end = INT_MIN;
    }
    return true;
}

// The close of the slice, the steps after its last instruction and the
// opening of the next, in one (unless the slice goes on after a quiet idle
// step or a speech tick): the counters move over the whole slice at once; if
// a timer is due they are first shown as they stand when the last
// instruction started, as the steps after it show them.
bool orv_slice_boundary()
{
    if (veld_time now; orv_slice_goes_on(now) && (orv_slice_idle_step(now) || orv_slice_speech_tick(now)))
        return true;
    orv_slice_live = false;
    const int used = sl.base - tms7000_icount;
    const int cycles = sl.cur - tms7000_icount;
    const int before = used - cycles;
    tms7000_budget_close();
    const veld_time now = veld_time_add(sl.clock, {0, static_cast<uint32_t>(used)});
    const bool due = veld_later_than(now, g_timer_next_due);
    orv_slice_show_step(cycles, before, now, due);
    if (due && !io_cpu_idle_fire(now))
        veld_check_timers_due();
    // Lines logged during the next instruction carry the last one's start time.
    set_trace_time(static_cast<int>(sl.time + static_cast<unsigned>(before)));
    sl.time += static_cast<unsigned>(used);
    orv_count_lines(used);  // never past the frame's end: the slice stopped there
    if (sl.lines == ORV_LINES_PER_FRAME) {
        sl.frame_done = true;
        return false;
    }
    return orv_slice_open(now.seconds, now.cycles);
}

namespace {

// How many times timer 1's tick mark moves before the count `count` is no
// longer below it: the counts made up to there (0 when none is).
int orv_timer1_counts_until(int count)
{
    const int below = tms7000_div_by_16_trigger - count;
    return below > 0 ? (below + 15) / 16 : 0;
}

} // namespace

void orv_slice_count_timer1()
{
    const int pending = orv_timer1_counts_until(tms7000_icount);
    if (!tms7000_timer1_running()) {
        tms7000_div_by_16_trigger -= 16 * pending;  // stopped: nothing counts
        return;
    }
    const int quiet = tms7000_timer1_counts_to_event() - 1;
    if (quiet > 0) {
        const int n = pending < quiet ? pending : quiet;
        tms7000_div_by_16_trigger -= 16 * n;
        tms7000_timer1_skip(n);
    }
    // The count that raises INT2, or each count while they may write lines:
    // one at a time, as after any instruction.
    tms7000_count_timer1(tf_tms7000_execute);
}

void orv_slice_sync()
{
    // Timer 1's counts as the steps after the last instruction leave them
    // (they lag while the timer is stopped, or before a count anything can
    // see: none of those raises INT2).
    if (const int counts = orv_timer1_counts_until(sl.cur)) {
        tms7000_div_by_16_trigger -= 16 * counts;
        if (tms7000_timer1_running())
            tms7000_timer1_skip(counts);
    }
    const int before = sl.base - sl.cur;
    g_timer_clock = veld_time_add(sl.clock, {0, static_cast<uint32_t>(before)});
    orv_show_counters(before);
}

void orv_slice_sync_log()
{
    orv_slice_sync();
    if (sl.cur != sl.base) {
        const int prev_cycles = sl.prev - sl.cur;
        instr_cycles = prev_cycles;
        delta = {0, static_cast<uint32_t>(prev_cycles)};
        set_trace_time(static_cast<int>(sl.time + static_cast<unsigned>(sl.base - sl.prev)));
    }
}

void orv_slice_check()
{
    if (ask_bkpt || g_timer_next_due.cycles != sl.due.cycles || g_timer_next_due.seconds != sl.due.seconds) {
        sl.end = INT_MAX;
        sl.idle_end = INT_MIN;
    } else if (sl.idle_fast && sl.timer_edits != veld_timer_edits) {
        orv_slice_set_end();  // the access changed the table
    }
    orv_slice_set_limit();  // a write to the timer's ports or a reset may move its count
}

int orv_step()
{
    instr_cycles = orv_execute_one();
    orv_advance_clock(instr_cycles);
    return instr_cycles;
}

orv_stop orv_loop(unsigned short stop_pc)
{
    if (orv_host.style == ORV_LOOP_UNTIL_STOP)
        return orv_loop_until_stop(stop_pc);
    return orv_loop_frame(stop_pc);
}

int orv_reset()
{
    tms7000_reset(nullptr);
    reset_iocpu();
    tms3556_reset();
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
    orv_slice = {};
    orv_slice_live = false;
}
