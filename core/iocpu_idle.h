// The I/O processor's idle cycle, taken quickly: while it waits for the main
// processor it alternates between "ready" and "poll" on its state timer
// about 800 times a frame, and almost every time nothing else happens.
//
// A quiet step is the state timer's firing toward "ready" or "poll" when
// that state's entry action would leave everything as it is and wait: the
// firing takes the timer out of the table, the state changes, and the
// timer is armed again for the next state (io_cpu_arm, the same arming as
// every state entry's), with nothing logged. The fast path takes such steps
// without going through veld_check_timers and io_cpu_callback.
#pragma once

#include "board.h"
#include "exec_mode.h"
#include "iocpu.h"
#include "timers.h"

// Whether the state timer's firing toward `state` would be a quiet step:
// "ready" moves on when B0 is already high, "poll" when a report is pending
// and no speech command is collecting its bytes.
inline bool io_cpu_idle_quiet(int state)
{
    if (state == IO_STATE_READY)
        return !board_b0();
    if (state != IO_STATE_POLL)
        return false;
    if (tms7041.data_count != 0)
        return true;
    return !(tms7041.flags & (KEY_PENDING | SPEECH_LOW | SERIAL_CHECK)) && !(tms7041.speech_status & SPEECH_END);
}

// The quiet step itself: the state timer in table slot `slot` fires toward
// `state` at `now` and is armed again, as io_cpu_callback arms it (the state
// machine keeps one timer at most, so no other is removed). The caller
// works out g_timer_next_due.
[[gnu::always_inline]] inline const veld_timer &io_cpu_idle_step(int slot, int state, veld_time now)
{
    cur_state = state;  // the entry action would do nothing
    return veld_timer_rearm(slot, io_cpu_timeout_target[state], now, veld_time_add(now, io_cpu_timeout_wait(state)));
}

// When the due timer is the I/O processor's state timer and its firing
// would be a quiet step, and no function's lines are asked for, takes the
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
    if (t.tag != IO_STATE_TIMER || t.callback != io_cpu_callback || !io_cpu_idle_quiet(t.param))
        return false;
    io_cpu_idle_step(due, t.param, now);
    g_timer_next_due = veld_earliest_due();
    return true;
}
