// The I/O processor's idle cycle, taken quickly: while it waits for the main
// processor it alternates between "ready" and "poll" on its state timer
// about 800 times a frame, and almost every time nothing else happens.
#pragma once

#include <cstdint>

// When the due timer is the I/O processor's state timer taking it to "ready"
// or "poll", that state's entry action would do nothing and no line can be
// logged, does exactly what firing it would: the state changes and the timer
// is armed again for the next one, in the same slot of the table. True when
// it did; otherwise nothing changed and the timer fires the usual way.
// The event clock (`g_timer_clock`) comes as the caller has it in hand:
// read back whole just after its halves were written, it would stall the
// processor.
bool io_cpu_idle_fire(uint32_t now_seconds, uint32_t now_cycles);

void iocpu_idle_clear_state();
