// Slices: how the frame loop runs many instructions as one on the fast path.
//
// What a slice is. The frame loop's instruction step (loop.cpp) runs one
// instruction and then the steps after it: the event clock moves by its
// cycles and at most one due timer fires, the trace time stamp and the
// scan-line count move on. Between two due timers those steps do nothing
// anyone can see but count. So on the fast path the loop hands the processor
// a budget of cycles (tms7000_budget) up to the next due timer or the end of
// the frame, and the slice runner (tms7000_run_slice, tms7000_ops.cpp) runs
// instructions back to back until the budget is spent: a slice. Only the
// slice's last instruction takes the steps after it, for the whole slice at
// once (orv_slice_boundary), and the next slice opens there.
//
// What is updated lazily inside a slice. The processor's own count
// (tms7000_icount) falls as cycles are charged; everything else stays where
// the slice started: the event clock (g_timer_clock), the frame's counters
// (scan line, cycles of the line, cycles since start), the trace time stamp,
// the last instruction's cycles (instr_cycles, delta), and timer 1's counts
// while none of them can be seen (a stopped timer, or the counts before the
// one that raises INT2, tms7000_timer1_counts_to_event). All of them follow
// from the count and the marks kept in `orv_slice`.
//
// When it syncs. Whatever may look at a lazily updated value from inside an
// instruction brings it up first, to where it stands when the current
// instruction started: the full bus path (program_read_byte_8,
// program_write_byte_8) before any device acts (orv_slice_sync: timer 1's
// counts, the event clock, the frame's counters), and a log line before it is
// stamped (orv_slice_sync_log: also the trace stamp and the last
// instruction's cycles). The inline accesses (register file, RAM, ROMs) and
// the fast path's port accesses (memory.h) look at none of them and do not
// sync.
//
// Why it ends. The runner compares the count with one mark after every
// instruction (`limit`), the earliest of: the slice's end (the next due timer
// or the frame's end), the I/O processor's next idle step (taken in place),
// and timer 1's next count that anything can see; every step while the
// processor idles. Reaching the limit calls the full test
// (orv_slice_full_test): timer 1 counts, the stop test (stop address, break
// request, stop key), the idle step (taken in place: the slice goes on), or
// the slice's end. A full bus access that arms a timer due sooner or requests
// a break ends the slice with its instruction (orv_slice_check). A speech
// clock tick due at the end is taken in place too.
//
// The result is exactly that of one step after another: the lockstep oracle
// (tests/lockstep) compares the two after every frame.
#pragma once

#include "loop.h"
#include "timers.h"
#include "tms7000.h"

#include <climits>

// Marks on the processor's count, which falls as cycles are charged: a mark
// is reached once the count is at or below it.
constexpr int SLICE_NOW = INT_MAX;    // reached at once
constexpr int SLICE_NEVER = INT_MIN;  // never reached

struct orv_slice_state {
    // The count when the slice started, when the instruction being run
    // started, and when the one before it started (`base` for the first).
    int base;
    int cur;
    int prev;
    // Where the count would have started without an interrupt taken since
    // the last steps (a timer's callback or the host raising a line): the
    // timer-1 counts of that interrupt's cycles belong to the slice's first
    // instruction, as the one-step path counts them after it.
    int opened;

    // Marks (SLICE_NOW, SLICE_NEVER or a count).
    int end;       // the slice ends: the next due timer or the frame's end
    int idle_end;  // the I/O processor's next idle step, taken in place (NEVER without one)
    int timer1;    // timer 1's next count anything can see (NEVER while it does not count)
    int rest;      // the earlier of `end` and `idle_end`
    int limit;     // the earliest of all: the runner's one comparison (NOW while the processor idles)

    // The event timers as the slice found them.
    veld_time clock;        // the event clock at the start
    veld_time due;          // the due timer it runs up to
    bool idle_fast;         // the I/O processor's idle steps are taken in place: its
                            // state timer (table slot `idle_slot`) waits for "ready"
                            // or "poll" and comes before the others (due at
                            // `other_due`), which `end` then stands for
    int idle_slot;
    veld_time other_due;
    unsigned timer_edits;   // `veld_timer_edits` when these were worked out

    // The frame's counters as the last completed step left them; the loop
    // keeps them here between slices too.
    int frame_left;   // cycles left in the frame at the slice's start
    unsigned time;    // cycles since start (the trace time base)
    int line_cycles;  // cycles of the current scan line
    int lines;        // scan lines completed
    bool frame_done;  // the last step completed the frame
};
extern orv_slice_state orv_slice;

// True while a slice runs (the values above are updated lazily).
extern bool orv_slice_live;

// Opens a slice from the event clock `now` (as the caller has it in hand)
// up to the next due timer or the frame's end, when one can run: on the
// fast path with the bus functions decided off, no break requested, and
// room for more than one instruction.
bool orv_slice_open(veld_time now);
// Closes the slice after its last instruction when a run stops there: the
// counters move to where they stand when that instruction started, as if
// each instruction before it had taken the steps after it.
void orv_slice_close();
// The end of a slice: an idle step or a speech tick taken in place
// (the slice goes on: true), or the steps after the last instruction and
// the next slice. False when none follows: the frame is complete
// (`frame_done`) or the loop goes on one step at a time.
bool orv_slice_boundary();

// Brings up what a full bus access may look at (timer 1's counts, the
// event clock, the frame's counters); for a log line also the trace stamp
// and the last instruction's cycles.
void orv_slice_sync();
void orv_slice_sync_log();
// After a full bus access: ends the slice with the current instruction if
// the access armed a timer due sooner or requested a break, and works the
// marks out again (the access may have moved timer 1 or the timer table).
void orv_slice_check();

// The runner's full test once the count reached the limit, pc the stop
// address or the stop key is held: why the run stops, or SLICE_GOES_ON.
constexpr int SLICE_GOES_ON = -1;
template <bool until_stop>
int orv_slice_full_test(unsigned short stop_pc);

// The marks after timer 1 started, stopped or counted, or the processor
// went idle or woke; `orv_slice_set_limit` after the end or the idle step
// moved as well.
inline void orv_slice_timer1_limit()
{
    orv_slice_state &sl = orv_slice;
    int limit = sl.rest;
    int timer1 = SLICE_NEVER;
    if (tms7000_timer1_running()) {
        timer1 = tms7000_div_by_16_trigger - 16 * (tms7000_timer1_counts_to_event() - 1) - 1;
        if (timer1 > limit)
            limit = timer1;
    }
    sl.timer1 = timer1;
    // While the processor idles, every step takes the full test.
    sl.limit = tms7000.idle_state ? SLICE_NOW : limit;
}

inline void orv_slice_set_limit()
{
    orv_slice_state &sl = orv_slice;
    sl.rest = sl.end > sl.idle_end ? sl.end : sl.idle_end;
    orv_slice_timer1_limit();
}
