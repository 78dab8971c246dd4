#include "hold_or_tap.h"

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
