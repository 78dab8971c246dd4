#include "exec_mode.h"

#include "board.h"
#include "debug_hooks.h"
#include "iocpu.h"
#include "memory.h"
#include "timers.h"
#include "tms3556.h"
#include "tms7000.h"
#include "trace.h"

bool orv_exec_reference;
orv_fast_paths orv_fast;

namespace {

// Every one of them decided off (flags are -1, 0 or 1).
bool off(const trace_fn &a) { return a.flag == -1; }
template <class... More> bool off(const trace_fn &a, const More &...more) { return off(a) && off(more...); }

} // namespace

void orv_fast_paths_update()
{
    orv_fast_paths f = {};
    // A debugger that sees every instruction and access runs the reference path.
    if (!orv_exec_reference && !orv_debug_armed) {
        f.reads = off(tf_program_read);
        f.writes = off(tf_program_write);
        f.slices = f.reads && f.writes && tf_tms7000_execute.flag != 0;
        f.port_a = off(tf_program_read, tf_tms70x0_pf_r, tf_io_read);
        f.port_b = off(tf_program_write, tf_tms70x0_pf_w, tf_io_write);
        f.vram = off(tf_program_write, tf_tms3556_vram_w);
        f.iocpu = off(tf_io_cpu_callback, tf_timer_remove, tf_timer_create, tf_double2time);
        f.idle_steps = trace_init_flag && debug_func_list_size == 0;
        f.delays = off(tf_double2time);
    }
    orv_fast = f;
}

void orv_set_exec_mode(orv_exec_mode mode)
{
    orv_exec_reference = mode == ORV_EXEC_REFERENCE;
    orv_fast_paths_update();
}

orv_exec_mode orv_get_exec_mode() { return orv_exec_reference ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST; }
