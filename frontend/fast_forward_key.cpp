#include "fast_forward_key.h"

bool hold_or_tap::down(int64_t now_ms)
{
    if (down_)
        return false;
    down_ = true;
    since_ = now_ms;
    return true;
}

bool hold_or_tap::up(int64_t now_ms)
{
    if (!down_)
        return false;
    down_ = false;
    return now_ms - since_ < TAP_MS;
}

void fast_forward_key::press(int64_t now_ms, pacer &p)
{
    if (!key_.down(now_ms))
        return;  // the host's key repeat
    // Toggled on: this press turns it off and is nothing more.
    cancels_ = p.fast_forward();
    if (cancels_)
        p.set_fast_forward_toggled(false);
    else
        p.set_fast_forward_held(true);
}

void fast_forward_key::release(int64_t now_ms, pacer &p)
{
    if (!key_.held())
        return;
    bool tap = key_.up(now_ms);
    p.set_fast_forward_held(false);
    if (tap && !cancels_)
        p.set_fast_forward_toggled(true);
    cancels_ = false;
}

void fast_forward_key::lost(pacer &p)
{
    if (!key_.held())
        return;
    key_.up(0);
    p.set_fast_forward_held(false);
    cancels_ = false;
}
