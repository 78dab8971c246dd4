#include "picture_scale.h"

#include <cstring>

void scale_nearest(const uint8_t *src, int sw, int sh, int src_pitch, std::vector<uint8_t> &dst, int dw, int dh)
{
    dst.resize(static_cast<size_t>(dw > 0 ? dw : 0) * static_cast<size_t>(dh > 0 ? dh : 0) * 3);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    // The source column of each destination column, worked out once.
    std::vector<int> column(static_cast<size_t>(dw));
    for (int x = 0; x < dw; x++)
        column[static_cast<size_t>(x)] = static_cast<int>((2L * x + 1) * sw / (2L * dw)) * 3;
    int last_sy = -1;
    for (int y = 0; y < dh; y++) {
        uint8_t *out = dst.data() + static_cast<size_t>(y) * static_cast<size_t>(dw) * 3;
        int sy = static_cast<int>((2L * y + 1) * sh / (2L * dh));
        if (sy == last_sy) {
            // The same source row as the row above: copy it.
            std::memcpy(out, out - static_cast<size_t>(dw) * 3, static_cast<size_t>(dw) * 3);
            continue;
        }
        last_sy = sy;
        const uint8_t *row = src + static_cast<size_t>(sy) * static_cast<size_t>(src_pitch);
        for (int x = 0; x < dw; x++) {
            const uint8_t *p = row + column[static_cast<size_t>(x)];
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
            out += 3;
        }
    }
}
