// How the machine runs. Both ways give the same machine, the same log and
// the same output (tests/lockstep compares them after every frame):
//
// - the fast path: the frame loop runs slices (slice.h), the processor
//   reaches its register file, RAM and ROMs inline, the ports the firmware
//   polls and writes byte after byte are taken without the bus, the I/O
//   processor's quiet idle steps are taken in place, and conversions of
//   fixed delays are remembered;
// - the reference path: one instruction at a time through the frame loop's
//   instruction step, every access through the full bus functions
//   (program_read_byte_8, program_write_byte_8), every due timer fired by
//   veld_check_timers, every delay converted afresh. It is the code that
//   reads as the machine's description; the fast path must match it.
//
// The fast path is the default. Tests, the lockstep oracle and a debugger
// that needs every instruction on its own choose the reference path.
#pragma once

enum orv_exec_mode : int {
    ORV_EXEC_FAST,
    ORV_EXEC_REFERENCE,
};

void orv_set_exec_mode(orv_exec_mode mode);
orv_exec_mode orv_get_exec_mode();

// True on the reference path: what the fast paths test before they are taken.
extern bool orv_exec_reference;
