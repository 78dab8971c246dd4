// The step-back history inside the debugger's engine (debug_engine.h offers
// it to programs; debug_hooks.h has the calls that write it down): while the
// history is made again, the engine's checks before and after each
// instruction come here instead.
#pragma once

#include "loop.h"

extern bool dbg_history_replaying;
orv_stop orv_history_replay_before(bool may_stop);
orv_stop orv_history_replay_after(orv_stop why);
orv_stop orv_history_replay_frame_end(orv_stop why);

// A change made between runs that the history makes again by calling
// `apply(value)` (a video RAM break set, a warm reset).
void orv_history_call(void (*apply)(unsigned long), unsigned long value);

// (debug_engine.cpp) The machine was put back: the engine's last stop says
// so, and a run from here runs this instruction first.
void orv_debug_note_back();

void step_back_clear_state();
