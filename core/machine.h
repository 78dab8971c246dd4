// The machine as a whole.
#pragma once

// Puts every global of the emulation core back to its program-start value:
// memory images, ports, write-watch, processor, timers, trace facility, frame
// counters and every chip, and the fast path (exec_mode.h). The host hooks
// stay as the program set them.
void orv_clear_globals();
