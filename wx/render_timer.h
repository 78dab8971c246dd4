// The render timer: every 40 ms it runs two frames and has the panel
// repainted. After each frame the core keeps its rewind state; while the
// rewind key is held no frame runs and the tick steps back instead.
//
// GTK fires a 40 ms timer late (about 24.5 times a second), which would run
// the machine 2% slow and leave the sound ring empty every few seconds. So
// after its two frames a tick also runs the frames that the wall clock says
// are due at 50 a second, a few at most: a host that stalls (a dialog, a
// long debugger command) makes the machine skip that time rather than race
// to catch up.
//
// At 50 frames a second the machine makes about 1.8% more sound than an
// 8000 Hz device plays (a frame is 20.3 ms of machine time). While the sound
// ring already holds 150 ms, the extra frames wait, and while it is full
// even the tick's own frames wait: the sound device then sets the pace and
// speech plays without gaps.
//
// While the debugger holds the machine (run_control.h) a tick runs nothing.
#pragma once

#include <wx/timer.h>

#include <chrono>

class BasicDrawPane;

extern int vbl;  // frame requests made by the timer

class RenderTimer : public wxTimer {
public:
    explicit RenderTimer(BasicDrawPane *pane);
    void Notify() override;
    void start();

    // Frames completed per second over the last whole second (0 until then).
    double frame_rate() const { return rate_; }

private:
    using clock = std::chrono::steady_clock;
    void run_frame();
    void run_due_frames();
    void update_rate(clock::time_point now);
    // Serves the rewind key; true while the machine must wait this tick.
    bool rewinding(clock::time_point now);
    // Whether the sound ring holds `blocks` waiting blocks and the device is
    // playing (it has finished a block lately).
    bool ring_holds(int blocks, clock::time_point now);

    BasicDrawPane *pane_;
    clock::time_point base_;     // when frame `base_frames_` was due
    long base_frames_ = 0;
    long frames_run_ = 0;        // frames run, counted on from `base_frames_`
    clock::time_point rate_start_;
    int rate_frames_ = 0;
    double rate_ = 0;
    bool stopped_ = false;       // the last tick found the machine stopped
    long played_seen_ = -1;      // the ring's played count when last looked at
    clock::time_point played_at_;
};
