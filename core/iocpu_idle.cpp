#include "iocpu_idle.h"

#include "board.h"
#include "iocpu.h"
#include "timers.h"
#include "trace.h"

namespace {

// The timeouts of "ready" and "poll", converted once (no line of the
// conversion can be logged here), and the states they lead to.
veld_time idle_delay[2];
int idle_next[2];
bool idle_delay_set;

// Whether a state's entry action would leave everything as it is (and wait):
// "ready" moves on when B0 is already high, "poll" when a report is pending
// and no speech command is collecting its bytes.
bool entry_does_nothing(int state)
{
    if (state == IO_STATE_READY)
        return !(get_portb() & 1);
    if (tms7041.data_count != 0)
        return true;
    return !(tms7041.flags & (KEY_PENDING | SPEECH_LOW | SERIAL_CHECK)) && !(tms7041.speech_status & SPEECH_END);
}

} // namespace

bool io_cpu_idle_fire(uint32_t now_seconds, uint32_t now_cycles)
{
    const veld_time now = {now_seconds, now_cycles};
    // No traced function may log a line (none is listed in debug.lst).
    if (!trace_init_flag || debug_func_list_size != 0)
        return false;
    // The first due timer in table order is the one to fire: it must be the
    // state timer. Firing moves the last entry into its slot, and its
    // callback creates it again at the end of the table.
    const int last = g_timer_num - 1;
    int due = 0;
    while (due <= last && !veld_later_than(now, timer_tab[due].due))
        due++;
    if (due > last)
        return false;
    const veld_timer &t = timer_tab[due];
    if (t.tag != IO_STATE_TIMER || t.callback != io_cpu_callback)
        return false;
    const int state = t.param;
    if (state != IO_STATE_READY && state != IO_STATE_POLL)
        return false;
    if (!entry_does_nothing(state))
        return false;

    if (!idle_delay_set) {
        for (int i = 0; i < 2; i++) {
            const io_cpu_state_row &row = io_cpu_auto[i == 0 ? IO_STATE_READY : IO_STATE_POLL];
            veld_delay delay = {row.timeout, {}, false};
            idle_delay[i] = veld_delay_time(delay);
            idle_next[i] = get_state_num(row.timeout_state);
        }
        idle_delay_set = true;
    }
    const int i = state == IO_STATE_READY ? 0 : 1;
    cur_state = state;
    if (due != last) {
        timer_tab[due] = timer_tab[last];
        timer_tab[last].tag = IO_STATE_TIMER;
        timer_tab[last].callback = io_cpu_callback;
    }
    veld_timer &armed = timer_tab[last];
    armed.param = idle_next[i];
    armed.start = now;
    armed.due = veld_time_add(now, idle_delay[i]);
    // The earliest due time of the others, then of the one armed again.
    veld_time next = VELD_NEVER;
    for (int k = 0; k <= last; k++)
        if (veld_later_than(next, timer_tab[k].due))
            next = timer_tab[k].due;
    g_timer_next_due = next;
    return true;
}

void iocpu_idle_clear_state()
{
    idle_delay[0] = idle_delay[1] = {};
    idle_next[0] = idle_next[1] = 0;
    idle_delay_set = false;
}
