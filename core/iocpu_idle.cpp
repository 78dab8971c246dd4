#include "iocpu_idle.h"

io_cpu_idle_cache io_cpu_idle;

void io_cpu_idle_convert()
{
    for (int i = 0; i < 2; i++) {
        const io_cpu_state_row &row = io_cpu_auto[i == 0 ? IO_STATE_READY : IO_STATE_POLL];
        veld_delay delay = {row.timeout, {}, false};
        io_cpu_idle.delay[i] = veld_delay_time(delay);
        io_cpu_idle.next[i] = get_state_num(row.timeout_state);
    }
    io_cpu_idle.set = true;
}

void iocpu_idle_clear_state() { io_cpu_idle = {}; }
