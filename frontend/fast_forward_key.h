// The fast-forward key: one key that is both a toggle and a momentary
// switch. A tap (released within TAP_MS) turns fast-forward on until the
// next press; a hold runs fast only while the key is down. A press while
// fast-forward is toggled on turns it off, and that press is not a hold.
//
// The program reports the key's presses and releases with a monotonic
// time in milliseconds; the decisions go to the pacer (pacing.h). Both
// programs use it: orvane from its key poll, wxOrvane from its key events.
#pragma once

#include "pacing.h"

#include <cstdint>

// What a tap is: a key down and up within TAP_MS; a longer press is a hold.
// The host's auto-repeat (more key-downs without a key-up) is one press.
class hold_or_tap {
public:
    static constexpr int64_t TAP_MS = 300;

    // The key went down at `now_ms`. True for a new press, false for a repeat.
    bool down(int64_t now_ms);
    // The key came up at `now_ms`. True when the press was a tap; false for
    // a hold, or a key-up without its key-down (the press began elsewhere).
    bool up(int64_t now_ms);
    bool held() const { return down_; }

private:
    bool down_ = false;
    int64_t since_ = 0;
};

class fast_forward_key {
public:
    static constexpr int64_t TAP_MS = hold_or_tap::TAP_MS;

    void press(int64_t now_ms, pacer &p);
    void release(int64_t now_ms, pacer &p);
    // The keyboard went elsewhere (a dialog): a hold ends as a release
    // would, without turning into a toggle.
    void lost(pacer &p);
    bool down() const { return key_.held(); }

private:
    hold_or_tap key_;
    bool cancels_ = false;  // this press turned fast-forward off: no hold
};
