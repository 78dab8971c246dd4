// The debugger's engine: the checks around each instruction while it
// watches (debug_hooks.h), why it stopped, and step out. Breakpoints and
// watchpoints are in breakpoints.cpp, the history in step_back.cpp, the
// trace files in trace_file.cpp.
#include "debug_engine.h"

#include "breakpoints.h"
#include "debug_hooks.h"
#include "debugger.h"
#include "exec_mode.h"
#include "memory.h"
#include "step_back.h"
#include "symbols.h"
#include "timers.h"
#include "tms7000.h"
#include "trace_file.h"

#include <cstdio>

bool orv_debug_armed;
bool orv_watch_armed;
bool orv_bus_fetch;
bool orv_bus_interrupt;

namespace {

constexpr uint8_t OPCODE_RETI = 0x0B;
constexpr uint8_t OPCODE_RETS = 0x0A;

orv_debug_stop dbg_last_stop;
// A run that starts where the engine stopped runs that instruction first.
struct resume_skip {
    bool armed;
    uint16_t pc;
};
resume_skip dbg_skip;

void stopped_here(const orv_debug_stop &s)
{
    const unsigned long serial = dbg_last_stop.serial + 1;
    dbg_last_stop = s;
    dbg_last_stop.serial = serial;
    dbg_skip = {true, s.pc};
}

// A stop before the instruction at `pc`, if a watchpoint saw an access since
// the last boundary or a breakpoint holds here.
bool stop_check(uint16_t pc, bool skip_breakpoints)
{
    if (dbg_watch_pending.pending) {
        const orv_watch_hit &h = dbg_watch_pending;
        orv_debug_stop s;
        s.kind = orv_debug_stop::WATCHPOINT;
        s.id = h.id;
        s.pc = pc;
        s.instruction = h.instruction;
        s.address = h.address;
        s.value = h.value;
        s.write = h.write;
        s.interrupt = h.interrupt;
        for (const orv_watchpoint &w : orv_watchpoints())
            if (w.id == h.id)
                s.hits = w.hits;
        orv_watch_forget();
        stopped_here(s);
        return true;
    }
    if (skip_breakpoints)
        return false;
    if (const orv_breakpoint *b = orv_break_stops(pc, true)) {
        orv_debug_stop s;
        s.kind = orv_debug_stop::BREAKPOINT;
        s.id = b->id;
        s.pc = pc;
        s.instruction = pc;
        s.address = pc;
        s.hits = b->hits;
        stopped_here(s);
        return true;
    }
    return false;
}

} // namespace

void orv_debug_arm_update()
{
    const bool watch = orv_watch_any_enabled();
    const bool armed = watch || orv_break_any_enabled() || orv_trace_file_insn_on || dbg_history_replaying;
    orv_watch_armed = watch;
    if (armed != orv_debug_armed) {
        orv_debug_armed = armed;
        orv_fast_paths_update();
    }
    if (!watch)
        orv_watch_forget();
}

orv_stop orv_debug_before(bool may_stop)
{
    if (dbg_history_replaying) {
        const orv_stop why = orv_history_replay_before(may_stop);
        dbg_in_instruction = why == ORV_STOP_FRAME;
        return why;
    }
    const uint16_t pc = tms7000.pc.w;
    const bool skip = dbg_skip.armed && dbg_skip.pc == pc;
    dbg_skip.armed = false;
    if (may_stop && stop_check(pc, skip))
        return ORV_STOP_DEBUG;
    orv_watch_forget();
    if (orv_trace_file_insn_on)
        orv_trace_file_insn_before(pc);
    dbg_in_instruction = true;
    return ORV_STOP_FRAME;
}

orv_stop orv_debug_after(orv_stop why)
{
    dbg_in_instruction = false;
    if (dbg_history_replaying)
        return orv_history_replay_after(why);
    if (orv_trace_file_insn_on)
        orv_trace_file_insn_after();
    return why;
}

orv_stop orv_debug_frame_end(orv_stop why)
{
    return dbg_history_replaying ? orv_history_replay_frame_end(why) : why;
}

bool orv_debug_step_stops()
{
    if (!orv_debug_armed || dbg_history_replaying)
        return false;
    return stop_check(tms7000.pc.w, false);
}

void orv_debug_note_back()
{
    orv_debug_stop s;
    s.kind = orv_debug_stop::STEP_BACK;
    s.pc = tms7000.pc.w;
    s.instruction = s.pc;
    stopped_here(s);
}

const orv_debug_stop &orv_debug_last_stop() { return dbg_last_stop; }

std::string orv_debug_stop_text(const orv_debug_stop &s)
{
    char text[256];
    const std::string now = orv_symbol_describe(s.pc);
    switch (s.kind) {
    case orv_debug_stop::NONE:
        return "";
    case orv_debug_stop::BREAKPOINT: {
        std::string condition;
        for (const orv_breakpoint &b : orv_breakpoints())
            if (b.id == s.id && b.conditional)
                condition = ": " + b.condition.text;
        std::snprintf(text, sizeof text, "Breakpoint %d at %s, hit %ld%s", s.id, now.c_str(), s.hits,
                      condition.c_str());
        return text;
    }
    case orv_debug_stop::WATCHPOINT:
        std::snprintf(text, sizeof text, "Watchpoint %d: %s of %02X %s %s %s %04X; now at %s", s.id,
                      s.write ? "write" : "read", s.value, s.write ? "to" : "from",
                      orv_symbol_describe(s.address).c_str(),
                      s.interrupt ? "by an interrupt's entry, after the instruction at" : "by the instruction at",
                      s.instruction, now.c_str());
        return text;
    case orv_debug_stop::STEP_OUT:
        std::snprintf(text, sizeof text, "Stepped out: %s at %04X returned to %s",
                      program_peek_byte_8(s.instruction) == OPCODE_RETI ? "RETI" : "RETS", s.instruction,
                      now.c_str());
        return text;
    case orv_debug_stop::STEP_BACK:
        return "Back at " + now;
    }
    return "";
}

orv_debug_result orv_step_out()
{
    const uint8_t sp0 = tms7000.sp;
    const unsigned start = get_pc();
    const long long limit = static_cast<long long>(DEBUGGER_STEPOVER_SECONDS) * VELD_CYCLES_PER_SECOND;
    long long cycles = 0;
    for (;;) {
        const uint16_t pc = get_pc();
        const int opcode = program_peek_byte_8(pc);
        cycles += orv_step();
        if ((opcode == OPCODE_RETS || opcode == OPCODE_RETI) && tms7000.sp < sp0) {
            orv_debug_stop s;
            s.kind = orv_debug_stop::STEP_OUT;
            s.pc = get_pc();
            s.instruction = pc;
            stopped_here(s);
            return ORV_DEBUG_DONE;
        }
        if (orv_debug_step_stops())
            return ORV_DEBUG_STOPPED;
        if (orv_host.interrupt_held) {
            if (orv_host.interrupt_held())
                return ORV_DEBUG_INTERRUPTED;
        } else if (cycles >= limit) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "Step out from %04x gave up after %d seconds of machine time: now at PC=%04x", start,
                          DEBUGGER_STEPOVER_SECONDS, get_pc());
            if (orv_host.message)
                orv_host.message(text);
            return ORV_DEBUG_GAVE_UP;
        }
    }
}

void debug_engine_clear_state()
{
    breakpoints_clear_state();
    trace_file_clear_state();
    step_back_clear_state();
    dbg_last_stop = {};
    dbg_skip = {};
    orv_debug_armed = false;
    orv_watch_armed = false;
    orv_bus_fetch = false;
    orv_bus_interrupt = false;
}
