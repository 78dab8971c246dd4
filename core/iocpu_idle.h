// The I/O processor's idle cycle, taken quickly: while it waits for the main
// processor it alternates between "ready" and "poll" on its state timer
// about 800 times a frame, and almost every time nothing else happens.
//
// When the state timer fires toward "ready" or "poll" and that state's entry
// action would leave everything as it is and wait, the firing only takes
// the timer out of the table, changes the state and arms the timer again
// for the next state (with the state's timeout, io_cpu_timeout_target and
// io_cpu_timeout_wait, as every state entry arms it), with nothing logged.
// The fast path takes such a step in place, without going through
// veld_check_timers and io_cpu_callback.
#pragma once

#include "board.h"
#include "exec_mode.h"
#include "iocpu.h"
#include "timers.h"

// Whether the entry action of `state` would do nothing but wait, so that
// the firing toward it can be taken in place: "ready" moves on when B0 is
// already high (io_cpu_state_ready), "poll" when it finds a report
// (io_cpu_state_poll); any other state acts.
inline bool io_cpu_entry_does_nothing(int state)
{
    if (state == IO_STATE_READY)
        return !board_b0();
    return state == IO_STATE_POLL && !io_cpu_report_waiting();
}

// The step itself: the state timer in table slot `slot` fires toward
// `state` at `now` and is armed again, as io_cpu_callback arms it (the state
// machine keeps one timer at most, so no other is removed). The caller
// works out g_timer_next_due.
[[gnu::always_inline]] inline const veld_timer &io_cpu_idle_step(int slot, int state, veld_time now)
{
    cur_state = state;  // the entry action would do nothing
    return veld_timer_rearm(slot, io_cpu_timeout_target[state], now, veld_time_add(now, io_cpu_timeout_wait(state)));
}

// When the due timer is the I/O processor's state timer and its firing
// could be taken in place, and no function's lines are asked for, takes the
// step: true. Otherwise nothing changed and the timer fires the usual way.
// `now` is the event clock as the caller has it in hand: read back whole
// just after its halves were written, it would stall the processor.
[[gnu::always_inline]] inline bool io_cpu_idle_fire(veld_time now)
{
    if (!orv_fast.idle_steps)
        return false;
    const int due = veld_first_due(now);
    if (due == g_timer_num)
        return false;
    const veld_timer &t = timer_tab[due];
    if (t.tag != IO_STATE_TIMER || t.callback != io_cpu_callback || !io_cpu_entry_does_nothing(t.param))
        return false;
    io_cpu_idle_step(due, t.param, now);
    g_timer_next_due = veld_earliest_due();
    return true;
}
