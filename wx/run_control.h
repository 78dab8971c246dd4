// Whether the render timer runs the machine. The debugger window stops it
// after a step, a step over or a run to an address, and lets it go again on
// Continue or when the last debugger window closes. A run to an address
// that the debugger's own run did not reach within its frame goes on frame
// after frame until the machine gets there, and stops there.
#pragma once

#include "core/loop.h"

#include <string>

enum run_mode {
    RUN_FREE,     // frames run as usual
    RUN_STOPPED,  // no frame runs
    RUN_TO,       // frames run until the program counter reaches the address
};

run_mode run_current();
unsigned short run_target();  // the address of RUN_TO

void run_stop();
void run_continue();
void run_to(unsigned short address);

// Runs one frame in the current mode (none while stopped) and says how it
// ended. A run to an address that gets there stops the machine: the result
// is then ORV_STOP_PC. So does a breakpoint or watchpoint (ORV_STOP_DEBUG).
orv_stop run_one_frame();

// What the main window's status bar says about it: "Stopped", "Running to
// 1234", or nothing while the machine runs freely.
std::string run_status_text();

// Called when the machine stops by itself (a run to an address got there,
// a breakpoint or watchpoint stopped it),
// so that the debugger's views can be shown again.
extern void (*run_stopped_hook)();
