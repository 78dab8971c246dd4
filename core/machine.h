// The machine as a whole.
#pragma once

// Puts every global of the emulation core back to its program-start value:
// each part's clear in the table of components.h (memory images, ports,
// write-watch, processor, timers, trace facility, frame counters, every
// chip, the debugger's views, the fast path). The host hooks stay as the
// program set them.
void orv_clear_globals();
