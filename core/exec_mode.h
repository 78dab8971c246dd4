// How the machine runs. Both ways give the same machine, the same log and
// the same output (tests/lockstep compares them after every frame):
//
// - the fast path: the frame loop runs slices (loop.h), the processor
//   reaches its register file, RAM and ROMs inline, the ports the firmware
//   polls and writes byte after byte are taken without the bus, the I/O
//   processor's idle steps are taken in place, and conversions of
//   fixed delays are remembered;
// - the reference path: one instruction at a time through the frame loop's
//   instruction step, every access through the full bus functions
//   (program_read_byte_8, program_write_byte_8), every due timer fired by
//   veld_check_timers, every delay converted afresh. It is the code that
//   reads as the machine's description; the fast path must match it.
//
// The fast path is the default. Tests and the lockstep oracle choose the
// reference path; the debugger's engine runs it, whatever the mode, while
// it needs every instruction on its own (debug_hooks.h: breakpoints,
// watchpoints, an instruction trace, a step back).
#pragma once

enum orv_exec_mode : int {
    ORV_EXEC_FAST,
    ORV_EXEC_REFERENCE,
};

void orv_set_exec_mode(orv_exec_mode mode);
orv_exec_mode orv_get_exec_mode();

// Which shortcuts the fast path may take now. A shortcut leaves out a
// function's log lines, so it is open only on the fast path and once every
// function it passes by has its trace flag decided off (`debug.lst` does
// not name it). Worked out again whenever a flag is decided, the facility
// is cleared or the mode changes; everything on the hot paths tests one
// field.
struct orv_fast_paths {
    bool reads;       // the register file, RAM and ROMs read inline
    bool writes;      // ... written inline
    bool slices;      // slices may open (both of the above, and the execute loop's flag decided)
    bool port_a;      // P4 read without the bus
    bool port_b;      // P6 written without the bus, when no handshake line moves
    bool vram;        // the video data port written without the bus
    bool iocpu;       // the I/O processor's state entries without their trace calls
    bool idle_steps;  // the idle cycle's steps taken in place: no function is listed
    bool delays;      // fixed delays converted once
};
extern orv_fast_paths orv_fast;
void orv_fast_paths_update();

// True on the reference path.
extern bool orv_exec_reference;
