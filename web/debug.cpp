// The debugger panel's commands: the shared debugger of core/debugger, with
// its views handed to the page as text.
#include "web.h"

#include "core/debugger.h"
#include "core/loop.h"
#include "core/tms7000.h"

#include <cstdio>

void web_debug_refresh()
{
    web_say("");
    refresh_debugger();
}

const char *web_debug_view(int which)
{
    switch (which) {
    case 0: return registers_box;
    case 1: return disass_box;
    case 2: return periph_box;
    case 3: return log_box;
    default: return "";
    }
}

void web_debug_step()
{
    web_say("");
    step();
}

void web_debug_step_over()
{
    web_say("");
    stepover();
}

namespace {

void set_address(const char *address)
{
    std::snprintf(breakpoint_str, sizeof breakpoint_str, "%s", address ? address : "");
}

} // namespace

// Runs to the address, a frame at a time, for at most `max_frames` frames:
// the page stays alive during a long run and the user can try again.
// 1 when the run stopped (the address reached, or a break request), 0 when
// the frames ran out, -1 when the text holds no address (the message says so).
int web_debug_go(const char *address, int max_frames)
{
    web_say("");
    set_address(address);
    for (int i = 0; i < max_frames; i++) {
        int before = vblnum;
        tobreaknoconfirm();
        if (*web_message())
            return -1;
        if (vblnum == before)
            return 1;
    }
    return 0;
}

void web_debug_who(const char *address)
{
    web_say("");
    set_address(address);
    info_address_mmu();
}

void web_debug_clear_log()
{
    web_say("");
    clear_log();
}

int web_pc() { return get_pc(); }
