// Trace to files inside the debugger's engine (debug_engine.h offers them
// to programs): the calls the trace facility, the frame loop and the engine
// make while a trace file is open.
#pragma once

#include "loop.h"

#include <cstdint>

// A log trace is open: every line the trace facility writes comes here.
extern bool orv_trace_file_log_on;
void orv_trace_file_log_line(const char *line);
// An instruction trace is open (the engine then sees every instruction).
extern bool orv_trace_file_insn_on;
void orv_trace_file_insn_before(uint16_t pc);
void orv_trace_file_insn_after();

void trace_file_clear_state();
