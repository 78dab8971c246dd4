// The fast-forward key: one key that is both a toggle and a momentary
// switch. A tap (released within TAP_MS) turns fast-forward on until the
// next press; a hold runs fast only while the key is down. A press while
// fast-forward is toggled on turns it off, and that press is not a hold.
//
// The program reports the key's presses and releases with a monotonic
// time in milliseconds; the decisions go to the pacer (pacing.h).
#pragma once

#include "pacing.h"

#include <cstdint>

class fast_forward_key {
public:
    // Longer than a typing tap, shorter than a deliberate hold.
    static constexpr int64_t TAP_MS = 300;

    void press(int64_t now_ms, pacer &p);
    void release(int64_t now_ms, pacer &p);
    // The keyboard went elsewhere (a dialog): a hold ends as a release
    // would, without turning into a toggle.
    void lost(pacer &p);
    bool down() const { return down_; }

private:
    bool down_ = false;
    bool holding_ = false;   // this press runs fast while held
    int64_t pressed_at_ = 0;
};
