#include "picture_fit.h"

#include <algorithm>

picture_rect picture_fit(int area_w, int area_h, bool integer_scaling)
{
    picture_rect r;
    if (area_w <= 0 || area_h <= 0)
        return r;
    int whole = std::min(area_w / PICTURE_WIDTH, area_h / PICTURE_HEIGHT);
    if (integer_scaling && whole >= 1) {
        r.w = whole * PICTURE_WIDTH;
        r.h = whole * PICTURE_HEIGHT;
    } else if (static_cast<long>(area_w) * PICTURE_HEIGHT <= static_cast<long>(area_h) * PICTURE_WIDTH) {
        // The width limits: full width, the height in proportion.
        r.w = area_w;
        r.h = std::max(1, static_cast<int>(static_cast<long>(area_w) * PICTURE_HEIGHT / PICTURE_WIDTH));
    } else {
        r.h = area_h;
        r.w = std::max(1, static_cast<int>(static_cast<long>(area_h) * PICTURE_WIDTH / PICTURE_HEIGHT));
    }
    r.x = (area_w - r.w) / 2;
    r.y = (area_h - r.h) / 2;
    return r;
}

int picture_scale_step(int scale, int step)
{
    return std::clamp(scale + step, PICTURE_SCALE_MIN, PICTURE_SCALE_MAX);
}
