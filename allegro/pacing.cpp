// Real-time pacing: a 50 Hz tick (1193181 / 50 = 23863 ticks of the PC
// timer); after each frame the run waits for the next tick.
#include "app.h"

#include <allegro.h>

namespace {

volatile int pacing_ticks;
int pacing_last;  // the tick count recorded after the previous frame

void pacing_tick()
{
    pacing_ticks = pacing_ticks + 1;
}
END_OF_FUNCTION(pacing_tick)

} // namespace

void pacing_init()
{
    LOCK_VARIABLE(pacing_ticks);
    LOCK_FUNCTION(pacing_tick);
    install_int_ex(pacing_tick, 23863);
}

void pacing_wait()
{
    while (pacing_ticks - pacing_last < 1)
        rest(10);
    pacing_last = pacing_ticks;
}

int pacing_now()
{
    return pacing_ticks;
}

void pacing_restart()
{
    pacing_last = 0;
}
