// The fast-forward key: one key that is both a toggle and a momentary
// switch. A tap (released within TAP_MS) turns fast-forward on until the
// next press; a hold runs fast only while the key is down. A press while
// fast-forward is toggled on turns it off, and that press is not a hold.
//
// The program reports the key's presses and releases with a monotonic
// time in milliseconds; the decisions go to the pacer (pacing.h). What a
// tap is, is hold_or_tap's.
#pragma once

#include "hold_or_tap.h"
#include "pacing.h"

#include <cstdint>

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
