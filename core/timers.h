// One-shot event timers on the emulated clock. The clock advances only by
// the main processor's cycles, 2455000 a second.
#pragma once

#include "exec_mode.h"
#include "trace.h"

#include <cstdint>

constexpr uint32_t VELD_CYCLES_PER_SECOND = 2455000;

struct veld_time {
    uint32_t seconds;
    uint32_t cycles;  // 0 to 2455000 inclusive
};

// Owners of the timers; each keeps at most one live timer under its tag.
constexpr int IO_STATE_TIMER = 16;
constexpr int SPEECH_TIMER = 32;
constexpr int K7_TIMER = 64;

typedef void (*veld_callback)(int param);

struct veld_timer {
    int tag;
    veld_callback callback;
    int param;
    veld_time start;
    veld_time due;
};

constexpr int VELD_TIMER_MAX = 32;
extern veld_timer timer_tab[VELD_TIMER_MAX];
extern int g_timer_num;
extern veld_time g_timer_clock;
// No timer is due while the clock is not later than this: the earliest due
// time of the live timers, or earlier (a removed timer's). Lets the check
// after every instruction skip the table until something may be due.
extern veld_time g_timer_next_due;
constexpr veld_time VELD_NEVER = {UINT32_MAX, UINT32_MAX};
// Sets `g_timer_next_due` from the table, after the table was written as a
// whole (a state loaded).
void veld_timers_table_loaded();
extern trace_fn tf_check_timers;

inline veld_time veld_time_add(veld_time a, veld_time b)
{
    veld_time r = {a.seconds + b.seconds, a.cycles + b.cycles};
    // Exactly one second's worth of cycles stays in the cycle field.
    if (r.cycles > VELD_CYCLES_PER_SECOND) {
        r.cycles -= VELD_CYCLES_PER_SECOND;
        r.seconds += 1;
    }
    return r;
}

// a later than b.
[[gnu::always_inline]] inline bool veld_later_than(veld_time a, veld_time b)
{
    return a.seconds > b.seconds || (a.seconds == b.seconds && a.cycles > b.cycles);
}

// Creating, re-arming and removing timers happens hundreds of times a frame
// (the I/O processor's state waits, the speech clock), hence inline; what
// only tracing or a full table needs stays out of line.
extern trace_fn tf_timer_create;
extern trace_fn tf_timer_remove;

// The timer whose callback is running: its tag and due time.
struct veld_fired_timer {
    bool firing;
    int tag;
    veld_time due;
};
extern veld_fired_timer g_timer_fired;

// Counts the creations and removals, so that a user of the table (the frame
// loop's slices) can tell whether it changed since it last looked. Not part
// of the machine: only differences matter.
extern unsigned veld_timer_edits;

// Logs that the table is full; returns 1, what the failed creation returns.
int veld_timer_table_full();

// The first due timer in table order at `now`, the one a check fires:
// its index, or g_timer_num when none is due.
[[gnu::always_inline]] inline int veld_first_due(veld_time now)
{
    int i = 0;
    while (i < g_timer_num && !veld_later_than(now, timer_tab[i].due))
        i++;
    return i;
}

// The earliest due time of the live timers (VELD_NEVER when there is none).
[[gnu::always_inline]] inline veld_time veld_earliest_due()
{
    veld_time next = VELD_NEVER;
    for (int i = 0; i < g_timer_num; i++)
        if (veld_later_than(next, timer_tab[i].due))
            next = timer_tab[i].due;
    return next;
}

// Takes a timer out of the table as a firing does: the last live entry
// moves into its slot.
[[gnu::always_inline]] inline void veld_timer_take(int slot)
{
    const int last = g_timer_num - 1;
    if (slot != last)
        timer_tab[slot] = timer_tab[last];
    g_timer_num = last;
}

// A timer in `slot` that fires and whose callback arms it again at once, as
// the firing and the creation leave the table: the last live entry moves
// into the slot and the timer, with its new parameter, start and due time,
// goes to the end. The caller works out g_timer_next_due.
[[gnu::always_inline]] inline veld_timer &veld_timer_rearm(int slot, int param, veld_time start, veld_time due)
{
    const int last = g_timer_num - 1;
    if (slot != last) {
        const veld_timer fired = timer_tab[slot];
        timer_tab[slot] = timer_tab[last];
        timer_tab[last].tag = fired.tag;
        timer_tab[last].callback = fired.callback;
    }
    veld_timer &t = timer_tab[last];
    t.param = param;
    t.start = start;
    t.due = due;
    return t;
}

// The table work of a creation, without its trace: the timer goes to the
// end of the table, which has room for it.
inline void veld_timer_append(veld_callback callback, int param, int tag, veld_time start, veld_time due)
{
    const int n = g_timer_num;
    veld_timer &t = timer_tab[n];
    t.tag = tag;
    t.callback = callback;
    t.param = param;
    t.start = start;
    t.due = due;
    g_timer_num = n + 1;
    veld_timer_edits++;
    if (veld_later_than(g_timer_next_due, due))
        g_timer_next_due = due;
}

// A creation from `start`, due at `due`. `traced` false: for callers that
// know veld_timer_create's flag is decided off, so that no gated line can
// come.
template <bool traced = true>
inline int veld_timer_add(veld_callback callback, int param, int tag, veld_time start, veld_time due)
{
    trace_fn &tf = tf_timer_create;
    if (traced)
        trace_enter(tf);
    if (g_timer_num >= VELD_TIMER_MAX) [[unlikely]]
        return veld_timer_table_full();
    if (traced)
        TRACE(tf, "Create timer %d", tag);
    veld_timer_append(callback, param, tag, start, due);
    return 0;
}

inline int veld_timer_create(veld_callback callback, int param, int tag, veld_time delay)
{
    return veld_timer_add(callback, param, tag, g_timer_clock, veld_time_add(g_timer_clock, delay));
}

// A periodic timer's next period. Called from the callback of the timer with
// the same tag, the new timer starts at the due time of the one firing, so
// that the lateness of a check (up to one instruction) is not added to every
// period; called from anywhere else it is `veld_timer_create`.
inline int veld_timer_create_next(veld_callback callback, int param, int tag, veld_time period)
{
    if (!g_timer_fired.firing || g_timer_fired.tag != tag)
        return veld_timer_create(callback, param, tag, period);
    const veld_time start = g_timer_fired.due;
    return veld_timer_add(callback, param, tag, start, veld_time_add(start, period));
}

// The table work of a removal, without its trace: every timer with the tag
// goes; returns how many there were.
inline int veld_timer_remove_entries(int tag)
{
    int n = g_timer_num;
    int removed = 0;
    int i = 0;
    while (i < n) {
        if (timer_tab[i].tag == tag) {
            // The last entry moves into the slot and is examined in its turn.
            timer_tab[i] = timer_tab[n - 1];
            n--;
            removed++;
        } else {
            i++;
        }
    }
    if (removed) {
        g_timer_num = n;
        veld_timer_edits++;
    }
    return removed;
}

// Removes every timer with the tag; returns how many there were.
// `traced` as for veld_timer_add.
template <bool traced = true>
inline int veld_timer_remove(int tag)
{
    trace_fn &tf = tf_timer_remove;
    if (traced)
        trace_enter(tf);
    const int removed = veld_timer_remove_entries(tag);
    if (traced && removed)
        TRACE(tf, "removed %d timers tag 0x%x", removed, tag);
    return removed;
}

// Both run after every instruction, hence inline.
inline void veld_timer_update_clock(veld_time delta)
{
    g_timer_clock = veld_time_add(g_timer_clock, delta);
}

// Fires at most one due timer: the first due one in table order.
void veld_check_timers_due();
inline void veld_check_timers()
{
    trace_enter(tf_check_timers);
    if (veld_later_than(g_timer_clock, g_timer_next_due))
        veld_check_timers_due();
}
double veld_timer_get_elapsed_time(int tag);
double veld_timer_get_left_time(int tag);
veld_time veld_get_time();
double veld_get_time_double();
veld_time double2time(double seconds);
double veld_time2double(veld_time t);

// A delay that a caller uses over and over (a periodic timer's period, a
// state's timeout), converted by `double2time` once. Converted again on
// every use while that function's trace lines may be asked for, so that the
// log keeps its lines.
struct veld_delay {
    double seconds;
    veld_time time;
    bool converted;
};
extern trace_fn tf_double2time;
veld_time veld_delay_convert(veld_delay &delay);
inline veld_time veld_delay_time(veld_delay &delay)
{
    if (delay.converted && orv_fast.delays) {
        return delay.time;
    }
    return veld_delay_convert(delay);
}

void timers_clear_state();
