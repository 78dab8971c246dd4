#include "run_control.h"

#include "events.h"

#include <cstdio>

void (*run_stopped_hook)();

namespace {

run_mode mode = RUN_FREE;
unsigned short target;

// A breakpoint or watchpoint stopped the run: the machine stays stopped
// there, as after a step, and the debugger is told.
orv_stop stopped_by_debugger(orv_stop why)
{
    if (why == ORV_STOP_DEBUG) {
        run_stop();
        event_log("machine stopped by the debugger");
        if (run_stopped_hook)
            run_stopped_hook();
    }
    return why;
}

} // namespace

run_mode run_current()
{
    return mode;
}

unsigned short run_target()
{
    return target;
}

void run_stop()
{
    if (mode != RUN_STOPPED)
        event_log("machine stopped");
    mode = RUN_STOPPED;
}

void run_continue()
{
    if (mode != RUN_FREE)
        event_log("machine runs");
    mode = RUN_FREE;
}

void run_to(unsigned short address)
{
    mode = RUN_TO;
    target = address;
    event_log("machine runs to %04X", static_cast<unsigned>(address));
}

orv_stop run_one_frame()
{
    switch (mode) {
    case RUN_STOPPED:
        return ORV_STOP_PC;
    case RUN_FREE:
        return stopped_by_debugger(orv_loop(0xFFFF));
    case RUN_TO:
        break;
    }
    orv_stop why = stopped_by_debugger(orv_loop(target));
    if (why == ORV_STOP_PC) {
        run_stop();
        event_log("machine reached %04X", static_cast<unsigned>(target));
        if (run_stopped_hook)
            run_stopped_hook();
    }
    return why;
}

std::string run_status_text()
{
    char text[32] = "";
    if (mode == RUN_STOPPED)
        std::snprintf(text, sizeof text, "Stopped");
    else if (mode == RUN_TO)
        std::snprintf(text, sizeof text, "Running to %04X", static_cast<unsigned>(target));
    return text;
}
