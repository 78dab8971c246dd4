// The one-instruction step of the frame loop and the debuggers, inline: it
// runs after every instruction of the machine. Exactly
// `tms7000_orv_execute(1)`: one instruction, or one idle pass, with the
// timer-1 counts and any interrupt taken meanwhile; returns its cycles.
#pragma once

#include "tms7000_ops.h"

[[gnu::always_inline]] inline int tms7000_step() { return tms7000_run(1); }
