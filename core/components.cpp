#include "components.h"

#include "board.h"
#include "cassette.h"
#include "dasm7000.h"
#include "debug_engine.h"
#include "debugger.h"
#include "exec_mode.h"
#include "iocpu.h"
#include "loop.h"
#include "machine.h"
#include "memory.h"
#include "rewind.h"
#include "state_image.h"
#include "symbols.h"
#include "timers.h"
#include "tms3556.h"
#include "tms5220.h"
#include "tms7000.h"
#include "trace.h"

namespace {

void clear_bus()
{
    memory_clear_state();
    board_clear_state();
}

void reset_processor() { tms7000_reset(nullptr); }
void clear_exec_mode() { orv_set_exec_mode(ORV_EXEC_FAST); }

} // namespace

// clang-format off
const orv_component orv_components[] = {
    // name                   clear                  reset            section  fields              image
    {"trace facility",        trace_clear_state,     nullptr,         nullptr, nullptr,            nullptr},
    {"firmware identity",     nullptr,               nullptr,         "IDNT",  identity_section,   identity_image},
    {"TMS7020 processor",     tms7000_clear_state,   reset_processor, "CPU ",  cpu_section,        cpu_image},
    {"bus: RAM and ports",    clear_bus,             nullptr,         "MEM ",  memory_section,     memory_image},
    {"cartridge area",        nullptr,               nullptr,         "CART",  cartridge_section,  cartridge_image},
    {"event timers",          timers_clear_state,    nullptr,         "TIME",  timers_section,     timers_image},
    {"frame loop",            loop_clear_state,      nullptr,         "LOOP",  loop_section,       loop_image},
    {"TMS7041 I/O processor", io_cpu_clear_state,    reset_iocpu,     "IOP ",  iop_section,        iop_image},
    {"TMS3556 video",         tms3556_clear_state,   tms3556_reset,   "VDP ",  vdp_section,        vdp_image},
    {"TMS5220 speech",        tms5220_clear_state,   nullptr,         "SPCH",  speech_section,     speech_image},
    {"cassette",              cassette_clear_state,  nullptr,         "TAPE",  tape_section,       tape_image},
    {"disassembler",          dasm7000_clear_state,  nullptr,         nullptr, nullptr,            nullptr},
    {"debugger views",        debugger_clear_state,  nullptr,         nullptr, nullptr,            nullptr},
    {"rewind ring",           orv_rewind_clear,      nullptr,         nullptr, nullptr,            nullptr},
    {"symbols",               symbols_clear_state,   nullptr,         nullptr, nullptr,            nullptr},
    {"debugger's engine",     debug_engine_clear_state, nullptr,      nullptr, nullptr,            nullptr},
    {"execution mode",        clear_exec_mode,       nullptr,         nullptr, nullptr,            nullptr},
};
// clang-format on
const int orv_component_count = sizeof orv_components / sizeof orv_components[0];

void orv_clear_globals()
{
    for (const orv_component &c : orv_components)
        if (c.clear)
            c.clear();
}
