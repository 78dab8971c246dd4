#include "stop_reason.h"

#include "core/debug_engine.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/tms3556.h"
#include "core/tms7000.h"
#include "core/trace.h"

#include <cstdio>

namespace {

// The video processor's data port on the bus.
constexpr unsigned VDP_DATA_PORT = 0x12E;

} // namespace

stop_facts stop_facts_now(bool menu_break, bool stop_key)
{
    stop_facts f = {};
    f.menu_break = menu_break;
    f.break_request = ask_bkpt != 0;
    f.stop_key = stop_key;
    f.instruction_pc = p_pc;
    f.pc = get_pc();
    // The write-watch names the instruction that wrote the port last; an
    // instruction at this address is the same instruction.
    f.wrote_vdp_data = PC_ON_WRITE[VDP_DATA_PORT] == p_pc;
    f.vdp_read_break = tms3556.bkpt_read;
    f.vdp_write_break = tms3556.bkpt_write;
    // Only the engine stops a run before an instruction.
    f.engine_stop = orv_last_stop_point == ORV_POINT_BEFORE && orv_debug_last_stop().kind != orv_debug_stop::NONE;
    if (f.engine_stop)
        f.engine_text = orv_debug_stop_text(orv_debug_last_stop());
    return f;
}

std::string stop_reason_text(const stop_facts &f)
{
    char text[128];
    if (f.engine_stop)
        return "Stopped: " + f.engine_text;
    if (f.menu_break && f.break_request)
        std::snprintf(text, sizeof text, "Stopped: Call Debugger, at PC=%04X", f.pc);
    else if (f.break_request && f.wrote_vdp_data && vdp_break_armed(f.vdp_write_break))
        std::snprintf(text, sizeof text, "Stopped: VDP write break at %04lX, by the instruction at %04X",
                      f.vdp_write_break & 0xFFFF, f.instruction_pc);
    else if (f.break_request && vdp_break_armed(f.vdp_read_break))
        std::snprintf(text, sizeof text, "Stopped: VDP read break at %04lX, by the instruction at %04X",
                      f.vdp_read_break & 0xFFFF, f.instruction_pc);
    else if (f.break_request)
        std::snprintf(text, sizeof text, "Stopped: the video processor's status was read, at %04X",
                      f.instruction_pc);
    else if (f.stop_key)
        std::snprintf(text, sizeof text, "Stopped: F1, at PC=%04X", f.pc);
    else
        std::snprintf(text, sizeof text, "Stopped: reached %04X", f.pc);
    return text;
}

void stop_reason_log(const std::string &text)
{
    static trace_fn tf = {"debugger", 0};
    TRACE_ALWAYS(tf, "%s", text.c_str());
}
