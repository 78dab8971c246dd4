// Where the debugger's engine (debug_engine.h) meets the machine: the calls
// the frame loop, the debugger's step, the bus, the renderer and the key
// input make into it. Each is behind one flag that is false unless the user
// asked for something, so a machine without breakpoints, watchpoints, an
// instruction trace or a step-back history runs exactly as before: the
// slices of the fast path never reach any of them.
#pragma once

#include "loop.h"

// True while the debugger needs every instruction on its own: a breakpoint
// or watchpoint enabled, an instruction trace written, a step back replaying
// the history, a debugger's run watching for a return (step out). The
// machine then runs on the reference path (exec_mode.h: every access through
// the full bus, no slices), and each instruction goes between these calls:
//
// Before it, at an instruction boundary. `may_stop` is false for the
// debugger's single step, which runs its instruction whatever it finds.
// ORV_STOP_FRAME: run it; ORV_STOP_DEBUG: the run stops before it.
extern bool orv_debug_armed;
orv_stop orv_debug_before(bool may_stop);
// After it, before its cycles are charged, with the loop's own stop test's
// answer; returns that answer, or a stop the engine asks for there.
orv_stop orv_debug_after(orv_stop why);
// Between two frames of the until-stop style, after the loop's stop test.
orv_stop orv_debug_frame_end(orv_stop why);
// Works `orv_debug_armed` out again (and the execution paths with it) after
// anything it depends on changed.
void orv_debug_arm_update();

// Watchpoints: every access through the bus functions while one is set
// (the debugger's reads go through program_peek_byte_8 and are not seen).
// The processor's fetch of instruction bytes is no data access: it is
// marked by `orv_bus_fetch`; an interrupt's entry (the status and the return
// address pushed, the vector read) by `orv_bus_interrupt`.
extern bool orv_watch_armed;
extern bool orv_bus_fetch;
extern bool orv_bus_interrupt;
void orv_watch_access(unsigned address, unsigned value, bool write);

// A trace file is open (debug_engine.h): the frame loop tells it of each
// frame it completes and of each run that stops.
extern bool orv_trace_files_open;
void orv_trace_files_frame();
void orv_trace_files_stopped();

// The step-back history (step_back.h) while it is kept: each call of the
// frame loop, each debugger step and each key sent is written down, so that
// the run from a saved state can be made again exactly.
extern bool orv_history_recording;
void orv_history_loop_begin(unsigned short stop_pc);
void orv_history_loop_end(orv_stop why);
// A call that runs until a stop has completed frame `frame` (counted from the
// call's start) and goes on: the history may close its record there and open
// the next, with a save, so that a long run is not made again from its start.
void orv_history_frame_done(int frame);
// The frame loop as the history makes a call again: a run until a stop starts
// at frame `first_frame` and, when `last_frame` is not negative, returns
// after completing that frame.
orv_stop orv_loop_span(unsigned short stop_pc, int first_frame, int last_frame);
void orv_history_step();
void orv_history_key(unsigned char code);
// Something the history cannot make again happened (a state loaded, a
// cartridge or firmware loaded, a tape started): it starts afresh from the
// machine as it now stands.
void orv_history_restart();
// Whether this frame's picture is drawn: the host's answer (host.h), kept in
// the history, or the kept answer while the history is made again.
bool orv_picture_wanted();
