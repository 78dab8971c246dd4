// How much sound a program keeps waiting in its sound ring at real time,
// in steps of the program's choosing (wxOrvane: the device's calls, 100
// samples each). Less sound ahead of the device means a key is heard
// sooner; too little, and a late tick of the program lets the device find
// the ring empty (an underrun: a gap in the sound).
//
// The target starts at the low end. Each underrun raises it a step (up to
// the high end); after a calm stretch without one it comes down a step
// again. A host that keeps running dry soon after each lowering doubles
// the calm stretch each time (up to `max_calm_ms`), so that a busy host
// settles on the target it needs instead of stuttering every few seconds.
#pragma once

#include <cstdint>

class ring_target {
public:
    ring_target(int low, int high, int64_t calm_ms, int64_t max_calm_ms)
        : low_(low), high_(high), target_(low), calm_(calm_ms), max_calm_(max_calm_ms)
    {
    }

    int target() const { return target_; }
    int64_t calm_ms() const { return calm_; }

    // Counting starts (or starts again after a pause or a fast stretch,
    // when the ring ran dry on purpose) with `underruns` seen so far.
    void start(long underruns, int64_t now_ms);
    bool counting() const { return counting_; }
    // The ring's underrun count at `now_ms`. Returns true when the target
    // changed.
    bool update(long underruns, int64_t now_ms);
    // The ring runs dry on purpose from now on: stop counting.
    void stop() { counting_ = false; }

private:
    int low_;
    int high_;
    int target_;
    int64_t calm_;
    int64_t max_calm_;
    bool counting_ = false;
    long seen_ = 0;
    int64_t since_ = 0;             // the last underrun or change of target
    int64_t lowered_at_ = INT64_MIN; // the last lowering
};
