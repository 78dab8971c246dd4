// The render timer: it runs the machine's frames and has the panel
// repainted. After each frame the core keeps its rewind state; while the
// rewind key is held no frame runs and the tick steps back instead.
//
// It fires every 5 ms and runs the frames due then, so that the machine
// is never far ahead of what the user hears and sees. How many are due
// depends on the speed (frontend/pacing.h):
// - real time: while the sound device plays, the device sets the pace: a
//   frame runs whenever fewer samples than a target wait in the sound ring
//   (100 at first: 0 to 25 ms of sound ahead of the device, more on a host
//   too busy to keep the ring from running dry), so that a key is heard
//   soon after it is pressed. Without sound, the wall clock: 50 frames a
//   second, a host that stalls (a dialog, a long debugger command) making
//   the machine skip that time rather than race to catch up;
// - paused: none (the picture stays; the sound stops);
// - fast-forward 2x or 4x: 100 or 200 a second by the wall clock;
// - unlimited (fast-forward, or fast loading while a tape plays): as many
//   as fit in UNLIMITED_BUDGET_MS of each tick, the rest of the tick left
//   to the window's events.
// Faster than real time, or paused, the machine's sound is not played.
//
// While the debugger holds the machine (run_control.h) a tick runs nothing.
#pragma once

#include "frontend/fast_forward_key.h"
#include "frontend/pacing.h"
#include "frontend/ring_target.h"

#include <wx/timer.h>

#include <chrono>
#include <cstdint>

class BasicDrawPane;

extern int vbl;  // ticks of the timer

class RenderTimer : public wxTimer {
public:
    explicit RenderTimer(BasicDrawPane *pane);
    void Notify() override;
    void start();

    // Frames completed per second over the last whole second (0 until then).
    double frame_rate() const { return meter_.frames_per_second(); }
    // The same as a percentage of real time.
    double percent() const { return meter_.percent(); }

    // The speed the user asked for.
    pacer &pace() { return pace_; }
    // The fast-forward key: a tap switches fast-forward on until the next
    // press, a hold runs fast while held; a press while it is on switches
    // it off.
    // `lost`: it came up elsewhere (the window lost the keyboard), which is
    // no tap.
    void fast_forward_key(bool down, bool lost = false);

private:
    using clock = std::chrono::steady_clock;
    void run_frame();
    // Runs the frames due at real time; `now` the tick's time.
    void run_real_time(clock::time_point now);
    void update_rate(clock::time_point now);
    static int64_t ms(clock::time_point t);
    // Serves the rewind key; true while the machine must wait this tick.
    bool rewinding(clock::time_point now);
    // Whether the sound device is playing the ring (it has finished a block lately).
    bool device_playing(clock::time_point now);

    BasicDrawPane *pane_;
    pacer pace_;
    ::fast_forward_key ff_key_;
    long frames_run_ = 0;        // frames run, as the pacing counts them
    speed_meter meter_;
    int64_t shown_frame_ = -1;  // the frame count at the last repaint
    bool stopped_ = false;       // the last tick found the machine stopped
    long played_seen_ = -1;      // the ring's played count when last looked at
    clock::time_point played_at_;
    clock::time_point rewind_ticked_;  // the rewind key last served
    bool rewind_active_ = false;       // rewinding: no frame runs
    ring_target ring_target_;      // blocks the ring holds at real time
};
