// Slices: the frame loop's fast path (slice.h says what a slice is, what is
// updated lazily inside it, when it syncs and why it ends).
#include "slice.h"

#include "iocpu.h"
#include "iocpu_idle.h"
#include "loop_steps.h"
#include "tms7000_ops.h"

bool orv_slice_live;
orv_slice_state orv_slice;

namespace {

orv_slice_state &sl = orv_slice;

// Cycles after which the event clock is later than `due`, when the loop
// adds them one instruction at a time; 0 if it already is, `cap` at most.
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

// The event clock `used` cycles into the slice.
veld_time orv_slice_clock(int used) { return veld_time_add(sl.clock, {0, static_cast<uint32_t>(used)}); }

// Whether the table's next due time is still the one the slice runs up to.
bool orv_slice_due_unchanged()
{
    return g_timer_next_due.cycles == sl.due.cycles && g_timer_next_due.seconds == sl.due.seconds;
}

// Where the slice ends, from the next due timer (`sl.due`): that timer or the
// frame's end. When the due timer is the I/O processor's state timer,
// waiting for "ready" or "poll" while no function is traced, the runner
// takes those steps in place itself (orv_slice_idle_fast) and the slice
// ends at the next of the other timers instead.
void orv_slice_set_end()
{
    sl.idle_fast = false;
    sl.idle_end = SLICE_NEVER;
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

// The due timer may be taken without ending the slice, as far as the slice
// goes: no bus access armed a timer or requested a break, and the frame
// does not end with the instruction. `now`: the event clock after it.
[[gnu::always_inline]] inline bool orv_slice_goes_on(veld_time &now)
{
    if (ask_bkpt || !orv_slice_due_unchanged())
        return false;
    const int used = sl.base - tms7000_icount;
    if (used >= sl.frame_left)
        return false;
    now = orv_slice_clock(used);
    return veld_later_than(now, sl.due);
}

// What the steps after the slice's last instruction show when a timer is
// due: the counters as they stood when it started, and lines of the timers
// stamped with the start of the one before.
[[gnu::always_inline]] inline void orv_slice_show_counters(int before)
{
    orv_frame_show(before);
    if (before > 0)
        set_trace_time(static_cast<int>(sl.time + static_cast<unsigned>(sl.base - sl.prev)));
}

// An idle step of the I/O processor due after the slice's last instruction
// (`now`: the event clock after it), taken in place: it reads none of the
// loop's counters, which stay updated lazily, and the slice goes on up to
// the next due timer. Not when the entry action would act.
[[gnu::always_inline]] inline bool orv_slice_idle_step(veld_time now)
{
    if (!io_cpu_idle_fire(now))
        return false;
    sl.due = g_timer_next_due;
    orv_slice_set_end();
    orv_slice_set_limit();
    return true;
}

// A tick of the speech clock due after the slice's last instruction, taken
// inside the slice: the steps after the instruction are taken as at a
// slice's end (the same counters shown, the same lines logged), but the
// slice goes on. The tick acts on the synthesizer, the sound output and the
// I/O processor's speech flags only: neither the processor's count nor a
// break request. Not when it is not the first due timer in table order.
bool orv_slice_speech_tick(veld_time now)
{
    const int first = veld_first_due(now);
    if (first == g_timer_num || timer_tab[first].tag != SPEECH_TIMER || timer_tab[first].callback != speech_buffer_do)
        return false;
    const int before = sl.base - sl.cur;
    orv_slice_live = false;  // the counters are shown as they stand
    orv_steps_after<false>(sl.cur - tms7000_icount, now, [before] { orv_slice_show_counters(before); });
    orv_slice_live = true;  // a line of the next instruction takes its stamp then
    sl.due = g_timer_next_due;
    orv_slice_set_end();
    if (ask_bkpt)  // (a host's sound hook, say): the next instruction ends the slice
        sl.end = SLICE_NOW;
    orv_slice_set_limit();
    return true;
}

// The I/O processor's idle step, taken in place by the runner when the
// count reaches `idle_end` and nothing else is due: what io_cpu_idle_fire
// would do, knowing where the state timer is and when the others are due.
// False when the entry action would act; the slice then ends there.
bool orv_slice_idle_fast()
{
    const int state = timer_tab[sl.idle_slot].param;
    if (!io_cpu_entry_does_nothing(state))
        return false;
    const int used = sl.base - tms7000_icount;
    const veld_timer &t = io_cpu_idle_step(sl.idle_slot, state, orv_slice_clock(used));
    sl.idle_slot = g_timer_num - 1;  // armed again at the end of the table
    if (veld_later_than(sl.other_due, t.due)) {
        g_timer_next_due = sl.due = t.due;
        sl.idle_end = sl.base - orv_cycles_to_due(sl.clock, t.due, sl.frame_left);
    } else {
        // The other timers come first now: the slice ends with them.
        g_timer_next_due = sl.due = sl.other_due;
        sl.idle_fast = false;
        sl.idle_end = SLICE_NEVER;
    }
    return true;
}

// How many times timer 1's tick mark moves before the count `count` is no
// longer below it: the counts made up to there (0 when none is).
int orv_timer1_counts_until(int count)
{
    const int below = tms7000_div_by_16_trigger - count;
    return below > 0 ? (below + 15) / 16 : 0;
}

// Timer 1's counts after an instruction whose count passed the tick mark:
// the counts before the first one anything can see are taken at once
// (tms7000_timer1_skip), that one as usual.
void orv_slice_count_timer1()
{
    const int pending = orv_timer1_counts_until(tms7000_icount);
    if (!tms7000_timer1_running()) {
        tms7000_div_by_16_trigger -= 16 * pending;  // stopped: nothing counts
        return;
    }
    const int unseen = tms7000_timer1_counts_to_event() - 1;
    if (unseen > 0) {
        const int n = pending < unseen ? pending : unseen;
        tms7000_div_by_16_trigger -= 16 * n;
        tms7000_timer1_skip(n);
    }
    // The count that raises INT2, or each count while they may write lines:
    // one at a time, as after any instruction.
    tms7000_count_timer1(tf_tms7000_execute);
}

} // namespace

bool orv_slice_open(veld_time now)
{
    if (!orv_fast.slices || ask_bkpt)
        return false;
    const int frame_left = orv_frame_left();
    int budget = orv_cycles_to_due(now, g_timer_next_due, frame_left);
    if (budget <= 1)
        return false;
    sl.frame_left = frame_left;
    const int base = tms7000_budget(budget);
    sl.base = sl.cur = sl.prev = base;
    sl.opened = budget;  // the count was 0 when the last budget closed
    sl.due = g_timer_next_due;
    sl.clock = now;
    orv_slice_set_end();
    orv_slice_set_limit();
    orv_slice_live = true;
    return true;
}

void orv_slice_close()
{
    orv_slice_live = false;
    const int cycles = sl.cur - tms7000_icount;
    tms7000_budget_close();
    instr_cycles = cycles;
    const int before = sl.base - sl.cur;
    if (before > 0) {
        set_trace_time(static_cast<int>(sl.time + static_cast<unsigned>(sl.base - sl.prev)));
        delta = {0, static_cast<uint32_t>(sl.prev - sl.cur)};
        g_timer_clock = orv_slice_clock(before);
        orv_frame_count(before);
    }
}

// The close of the slice, the steps after its last instruction and the
// opening of the next, in one: the counters move over the whole slice at
// once; a due timer first sees them as they stood when the last instruction
// started, as the steps after it show them.
bool orv_slice_boundary()
{
    if (veld_time now; orv_slice_goes_on(now) && (orv_slice_idle_step(now) || orv_slice_speech_tick(now)))
        return true;
    orv_slice_live = false;
    const int used = sl.base - tms7000_icount;
    const int cycles = sl.cur - tms7000_icount;
    const int before = used - cycles;
    tms7000_budget_close();
    const veld_time now = orv_slice_clock(used);
    orv_steps_after(cycles, now, [before] { orv_slice_show_counters(before); });
    // Lines logged during the next instruction carry the last one's start time.
    set_trace_time(static_cast<int>(sl.time + static_cast<unsigned>(before)));
    orv_frame_count(used);  // never past the frame's end: the slice stopped there
    if (sl.lines == ORV_LINES_PER_FRAME) {
        sl.frame_done = true;
        return false;
    }
    return orv_slice_open(now);
}

void orv_slice_sync()
{
    // Timer 1's counts as the steps after the last instruction leave them
    // (updated lazily while the timer is stopped, or before a count anything
    // can see: none of those raises INT2). In the first instruction, those
    // of an interrupt taken before it are still to come after it.
    if (const int counts = orv_timer1_counts_until(sl.cur == sl.base ? sl.opened : sl.cur)) {
        tms7000_div_by_16_trigger -= 16 * counts;
        if (tms7000_timer1_running())
            tms7000_timer1_skip(counts);
    }
    const int before = sl.base - sl.cur;
    g_timer_clock = orv_slice_clock(before);
    orv_frame_show(before);
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
    if (ask_bkpt || !orv_slice_due_unchanged()) {
        sl.end = SLICE_NOW;
        sl.idle_end = SLICE_NEVER;
    } else if (sl.idle_fast && sl.timer_edits != veld_timer_edits) {
        orv_slice_set_end();  // the access changed the table
    }
    orv_slice_set_limit();  // a write to the timer's ports or a reset may move its count
}

// Timer 1's count that raises INT2 comes first (its interrupt moves pc and
// the count). Then, most often, that was all; otherwise the stop test and
// the end of the slice, where the next one opens, or the I/O processor's
// idle step, after which the slice goes on. A break request comes only with
// a full bus access, which also ends the slice: the whole stop test is
// needed only there. The counts before timer 1's next event, which nothing
// sees, stay pending through the idle step, which does not look at them;
// they are all taken before the stop test and the slice's end. Kept out of
// line: one copy serves every instruction of the runner.
template <bool until_stop>
[[gnu::noinline]] int orv_slice_full_test(unsigned short stop_pc)
{
    if (tms7000_icount <= sl.timer1)
        orv_slice_count_timer1();
    const bool stops = tms7000.pc.w == stop_pc || (until_stop && orv_host.stop_key && *orv_host.stop_key);
    if (!stops && tms7000_icount > sl.rest) {
        orv_slice_timer1_limit();  // only timer 1 counted
        return SLICE_GOES_ON;
    }
    if (stops || tms7000_icount <= sl.end) {
        if (tms7000_icount < tms7000_div_by_16_trigger)
            orv_slice_count_timer1();
        const orv_stop why = orv_stop_test<until_stop>(stop_pc);
        if (why != ORV_STOP_FRAME)
            return why;
        if (tms7000_icount <= sl.end && !orv_slice_boundary())
            return ORV_STOP_FRAME;
    } else if (!orv_slice_idle_fast()) {
        if (tms7000_icount < tms7000_div_by_16_trigger)
            orv_slice_count_timer1();
        if (!orv_slice_boundary())
            return ORV_STOP_FRAME;
    }
    orv_slice_set_limit();
    return SLICE_GOES_ON;
}

template int orv_slice_full_test<false>(unsigned short stop_pc);
template int orv_slice_full_test<true>(unsigned short stop_pc);
