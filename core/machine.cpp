#include "machine.h"

#include "board.h"
#include "cassette.h"
#include "dasm7000.h"
#include "debugger.h"
#include "exec_mode.h"
#include "iocpu.h"
#include "iocpu_idle.h"
#include "loop.h"
#include "memory.h"
#include "rewind.h"
#include "timers.h"
#include "tms3556.h"
#include "tms5220.h"
#include "tms7000.h"
#include "trace.h"

void orv_clear_globals()
{
    trace_clear_state();
    memory_clear_state();
    board_clear_state();
    timers_clear_state();
    loop_clear_state();
    tms7000_clear_state();
    iocpu_clear_state();
    tms3556_clear_state();
    tms5220_clear_state();
    cassette_clear_state();
    dasm7000_clear_state();
    debugger_clear_state();
    orv_rewind_clear();
    orv_set_exec_mode(ORV_EXEC_FAST);
}
