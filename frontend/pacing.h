// Speed and pacing: how fast the machine runs and what follows from it.
// The programs keep their own timers (Allegro's 50 Hz tick, wx's render
// timer); the decisions are made here.
//
// Real time is 50 frames a second of host time, as both programs run the
// machine. On top of it:
// - pause: no frame runs (the picture stays, sound stops);
// - fast-forward, while its key is held or as a toggle, at the speed
//   chosen: 2x, 4x or unlimited (as fast as the host goes);
// - fast loading (an option, on by default): unlimited while the machine
//   reads a tape (tape_deck::reading), back to real time when it stops.
// Pause wins over everything; fast-forward's speed over fast loading's when
// both apply only if it is faster (unlimited always is).
// Sound is muted while paused or faster than real time: sped-up speech is
// noise, and the sound device could not keep up with it anyway.
//
// `frame_clock` says how many frames are due for the host time elapsed at
// a speed; `speed_meter` measures the speed reached, as a percentage of
// real time. Times are milliseconds of a monotonic host clock.
#pragma once

#include "settings.h"

#include <cstdint>
#include <string>

constexpr int PACING_FRAMES_PER_SECOND = 50;

// Frames due by the clock at a given speed (frames per second of host time).
class frame_clock {
public:
    explicit frame_clock(double frames_per_second = PACING_FRAMES_PER_SECOND) : fps_(frames_per_second) {}

    // Counting starts again: `frames_run` frames have run at `now_ms`.
    void restart(int64_t now_ms, long frames_run);
    // The number of frames that should have run by `now_ms` (counted on
    // from the restart's `frames_run`).
    long due(int64_t now_ms) const;
    void set_rate(double frames_per_second) { fps_ = frames_per_second; }
    double rate() const { return fps_; }

private:
    double fps_;
    int64_t base_ms_ = 0;
    long base_frames_ = 0;
};

// Frames completed per second, over the last whole second.
class speed_meter {
public:
    void restart(int64_t now_ms);
    void frame() { frames_++; }
    // Once a second or more has passed since the last update: the rate of
    // that stretch becomes the measure.
    void update(int64_t now_ms);
    double frames_per_second() const { return rate_; }
    // Of real time (50 frames a second): 100 at real time, 400 at 4x.
    double percent() const { return rate_ * 100.0 / PACING_FRAMES_PER_SECOND; }

private:
    int64_t start_ms_ = 0;
    int frames_ = 0;
    double rate_ = 0;
};

// A speed without limit, as `pacer::speed` gives it.
constexpr double PACING_UNLIMITED = 1e9;

class pacer {
public:
    void set_paused(bool paused) { paused_ = paused; }
    void toggle_pause() { paused_ = !paused_; }
    bool paused() const { return paused_; }

    void set_fast_forward_held(bool held) { held_ = held; }
    void toggle_fast_forward() { toggled_ = !toggled_; }
    void set_fast_forward_toggled(bool on) { toggled_ = on; }
    bool fast_forward() const { return held_ || toggled_; }
    void set_fast_forward_speed(fast_forward_speed s) { ff_speed_ = s; }
    fast_forward_speed fast_forward_choice() const { return ff_speed_; }

    void set_fast_loading(bool on) { fast_loading_ = on; }
    bool fast_loading() const { return fast_loading_; }
    // Whether the machine reads a tape now (tape_deck::reading()).
    void set_tape_reading(bool reading) { tape_reading_ = reading; }

    // The speed, as a multiple of real time: 0 paused, 1, 2, 4, or
    // PACING_UNLIMITED.
    double speed() const;
    bool unlimited() const { return speed() >= PACING_UNLIMITED; }
    // Unlimited because a tape is being read.
    bool loading_fast() const;
    bool sound_muted() const { double s = speed(); return s == 0 || s > 1; }

    // The frames to run now, at `now_ms` with `frames_run` frames run so far:
    // those the clock says are due at the speed, at most `most`. Unlimited:
    // `most` (the program stops when its time for the tick is spent).
    // Paused: none. A change of speed, and a host that fell more than a
    // fifth of a second behind, start the count again from now.
    long frames_to_run(int64_t now_ms, long frames_run, long most);

    // What the program shows about the speed: "Paused", "Fast forward 4x",
    // "Fast forward" (unlimited), "Fast loading", or "" at real time.
    std::string status_text() const;

private:
    bool paused_ = false;
    bool held_ = false;
    bool toggled_ = false;
    fast_forward_speed ff_speed_ = fast_forward_speed::x4;
    bool fast_loading_ = true;
    bool tape_reading_ = false;
    frame_clock clock_;
    double clock_speed_ = -1;  // the speed the clock counts at; -1 not started
};
