// How fast the machine runs. The decisions are the shared layer's
// (frontend/pacing.h): pause, fast-forward held or toggled at 2x, 4x or
// unlimited, fast loading while a tape plays. This file waits as they ask:
// - real time: the sound paces the frames while it comes (sound.cpp), else
//   the 50 Hz tick (1193181 / 50 = 23863 ticks of the PC timer): after each
//   frame the run waits for the next tick;
// - 2x and 4x: the frames due by the host's clock at 100 or 200 a second;
// - unlimited (also the options dialog's fastest speed): no wait.
// It also measures the speed reached, for the title.
#include "app.h"

#include "frontend/fast_forward_key.h"
#include "frontend/pacing.h"
#include "frontend/tape_deck.h"

#include <allegro.h>

#include <ctime>

namespace {

volatile int pacing_ticks;
int pacing_last;  // the tick count recorded after the previous frame

pacer the_pacer;
fast_forward_key ff_key;
speed_meter meter;
int64_t meter_since;   // when the meter last started again
long frames_run;

void pacing_tick()
{
    pacing_ticks = pacing_ticks + 1;
}
END_OF_FUNCTION(pacing_tick)

int64_t now_ms()
{
    return static_cast<int64_t>(app_host_ms());
}

} // namespace

double app_host_ms()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void pacing_init()
{
    LOCK_VARIABLE(pacing_ticks);
    LOCK_FUNCTION(pacing_tick);
    install_int_ex(pacing_tick, 23863);
    pacing_restart();
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
    meter_since = now_ms();
    meter.restart(meter_since);
}

pacer &app_pacer()
{
    return the_pacer;
}

double app_speed()
{
    if (the_pacer.paused())
        return 0;
    return app_real_time ? the_pacer.speed() : PACING_UNLIMITED;
}

bool app_sound_muted()
{
    double s = app_speed();
    return s == 0 || s > 1;
}

std::string app_speed_status()
{
    std::string s = the_pacer.status_text();
    if (s.empty() && !app_real_time)
        return "Fastest speed";
    return s;
}

double app_speed_percent()
{
    // Once a whole second has been measured since the last start.
    bool measured = now_ms() - meter_since >= 1000 && meter.frames_per_second() > 0;
    return measured && !the_pacer.paused() ? meter.percent() : -1;
}

void pacing_fast_forward_key(bool down)
{
    if (down)
        ff_key.press(now_ms(), the_pacer);
    else
        ff_key.release(now_ms(), the_pacer);
}

bool pacing_fast_forward_key_down()
{
    return ff_key.down();
}

void pacing_keys_lost()
{
    ff_key.lost(the_pacer);
}

void pacing_frame_done()
{
    frames_run++;
    meter.frame();
    int64_t now = now_ms();
    meter.update(now);
    the_pacer.set_tape_reading(app_tape().reading());
    double speed = app_speed();
    sound_set_pacing(speed == 1);
    if (speed == 1) {
        // With sound, the sound device has paced the frame; without, the tick.
        if (!sound_paced_frame())
            pacing_wait();
        return;
    }
    sound_paced_frame();  // keeps its count of frames without sound
    if (speed >= PACING_UNLIMITED || speed == 0)
        return;
    while (the_pacer.frames_to_run(now_ms(), frames_run, 1) == 0) {
        if (app_close_asked())
            return;
        rest(1);
    }
}
