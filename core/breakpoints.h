// Breakpoints and watchpoints inside the debugger's engine: the lists
// (debug_engine.h offers them to programs) and the quick tests the engine
// makes around each instruction.
#pragma once

#include "debug_engine.h"

#include <cstdint>

// Whether any breakpoint, or watchpoint, is enabled.
bool orv_break_any_enabled();
bool orv_watch_any_enabled();

// The breakpoint at `pc` that stops a run there now (its condition holds and
// its hit count is reached), or null. `count`: the hit is counted (a run;
// not the history's search).
const orv_breakpoint *orv_break_stops(uint16_t pc, bool count);
// Whether an enabled breakpoint's address and condition hold at `pc`,
// whatever its hit count: a place the history's search looks for.
bool orv_break_matches(uint16_t pc);

// The first watched access since the last instruction boundary.
struct orv_watch_hit {
    bool pending;
    int id;
    uint16_t instruction;  // p_pc at the access
    uint16_t address;
    uint8_t value;
    bool write;
    bool interrupt;  // by an interrupt's entry (inside a step or between two)
};
extern orv_watch_hit dbg_watch_pending;
// Set by the engine while an instruction runs; `counting` while hits count
// (not while the history runs again).
extern bool dbg_in_instruction;
extern bool dbg_watch_counting;
void orv_watch_forget();

void breakpoints_clear_state();
