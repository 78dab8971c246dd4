// The I/O processor's idle cycle, taken quickly: while it waits for the main
// processor it alternates between "ready" and "poll" on its state timer
// about 800 times a frame, and almost every time nothing else happens.
#pragma once

#include "board.h"
#include "exec_mode.h"
#include "iocpu.h"
#include "timers.h"
#include "trace.h"

#include <cstdint>

// The timeouts of "ready" and "poll", converted once (no line of the
// conversion can be logged where they are used), and the states they lead
// to: [0] for "ready", [1] for "poll".
struct io_cpu_idle_cache {
    veld_time delay[2];
    int next[2];
    bool set;
};
extern io_cpu_idle_cache io_cpu_idle;

void io_cpu_idle_convert();
void iocpu_idle_clear_state();

// Whether a state's entry action would leave everything as it is (and wait):
// "ready" moves on when B0 is already high, "poll" when a report is pending
// and no speech command is collecting its bytes.
inline bool io_cpu_idle_entry_does_nothing(int state)
{
    if (state == IO_STATE_READY)
        return !(get_portb() & 1);
    if (tms7041.data_count != 0)
        return true;
    return !(tms7041.flags & (KEY_PENDING | SPEECH_LOW | SERIAL_CHECK)) && !(tms7041.speech_status & SPEECH_END);
}

// Whether the state timer's firing toward `state` would be a quiet step.
inline bool io_cpu_idle_quiet(int state)
{
    return (state == IO_STATE_READY || state == IO_STATE_POLL) && io_cpu_idle_entry_does_nothing(state);
}

// The quiet step itself, the state timer (in slot `slot`) firing toward
// `state` at `now`: the state changes and the timer ends up where a firing
// leaves it, at the end of the table (the last entry moving into its slot),
// armed for the next state. Returns it. The delays must be converted.
inline veld_timer &io_cpu_idle_take(int slot, int state, veld_time now)
{
    const int last = g_timer_num - 1;
    if (slot != last) {
        timer_tab[slot] = timer_tab[last];
        timer_tab[last].tag = IO_STATE_TIMER;
        timer_tab[last].callback = io_cpu_callback;
    }
    const int i = state == IO_STATE_READY ? 0 : 1;
    cur_state = state;
    veld_timer &armed = timer_tab[last];
    armed.param = io_cpu_idle.next[i];
    armed.start = now;
    armed.due = veld_time_add(now, io_cpu_idle.delay[i]);
    return armed;
}

// Event-clock times as one number that orders as `veld_later_than` does.
[[gnu::always_inline]] inline uint64_t io_cpu_idle_key(uint32_t seconds, uint32_t cycles)
{
    return static_cast<uint64_t>(seconds) << 32 | cycles;
}

// When the due timer is the I/O processor's state timer taking it to "ready"
// or "poll", that state's entry action would do nothing and no line can be
// logged, does exactly what firing it would: the state changes and the timer
// is armed again for the next one, in the same slot of the table. True when
// it did; otherwise nothing changed and the timer fires the usual way.
// The event clock (`g_timer_clock`) comes as the caller has it in hand:
// read back whole just after its halves were written, it would stall the
// processor.
[[gnu::always_inline]] inline bool io_cpu_idle_fire(uint32_t now_seconds, uint32_t now_cycles)
{
    // No traced function may log a line (none is listed in debug.lst).
    if (!orv_fast.idle_steps)
        return false;
    // The first due timer in table order is the one to fire: it must be the
    // state timer. Firing moves the last entry into its slot, and its
    // callback creates it again at the end of the table.
    const uint64_t now = io_cpu_idle_key(now_seconds, now_cycles);
    const int last = g_timer_num - 1;
    int due = 0;
    while (due <= last && now <= io_cpu_idle_key(timer_tab[due].due.seconds, timer_tab[due].due.cycles))
        due++;
    if (due > last)
        return false;
    const veld_timer &t = timer_tab[due];
    if (t.tag != IO_STATE_TIMER || t.callback != io_cpu_callback)
        return false;
    const int state = t.param;
    if (!io_cpu_idle_quiet(state))
        return false;

    if (!io_cpu_idle.set) [[unlikely]]
        io_cpu_idle_convert();
    const veld_timer &armed = io_cpu_idle_take(due, state, {now_seconds, now_cycles});
    // The earliest due time of all, the one armed again included.
    int first = last;
    uint64_t next = io_cpu_idle_key(armed.due.seconds, armed.due.cycles);
    for (int k = 0; k < last; k++) {
        const uint64_t d = io_cpu_idle_key(timer_tab[k].due.seconds, timer_tab[k].due.cycles);
        if (d < next) {
            next = d;
            first = k;
        }
    }
    g_timer_next_due = timer_tab[first].due;
    return true;
}
