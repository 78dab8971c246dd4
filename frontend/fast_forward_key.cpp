#include "fast_forward_key.h"

void fast_forward_key::press(int64_t now_ms, pacer &p)
{
    if (down_)
        return;  // the host's key repeat
    down_ = true;
    pressed_at_ = now_ms;
    if (p.fast_forward() && !holding_) {
        // Toggled on: this press turns it off and is nothing more.
        p.set_fast_forward_toggled(false);
        holding_ = false;
        return;
    }
    holding_ = true;
    p.set_fast_forward_held(true);
}

void fast_forward_key::release(int64_t now_ms, pacer &p)
{
    if (!down_)
        return;
    down_ = false;
    if (!holding_)
        return;
    holding_ = false;
    p.set_fast_forward_held(false);
    if (now_ms - pressed_at_ < TAP_MS)
        p.set_fast_forward_toggled(true);
}

void fast_forward_key::lost(pacer &p)
{
    if (!down_)
        return;
    down_ = false;
    if (holding_)
        p.set_fast_forward_held(false);
    holding_ = false;
}
