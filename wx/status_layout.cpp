#include "status_layout.h"

namespace {

// The fixed fields' widths.
constexpr std::array<int, FIELD_COUNT> natural = {-1, 120, 80, 120, 90};

} // namespace

std::array<int, FIELD_COUNT> status_widths(int bar_width, int message_width, bool tape, bool widen)
{
    std::array<int, FIELD_COUNT> widths = natural;
    if (!tape)
        widths[FIELD_TAPE] = widths[FIELD_GAUGE] = 0;
    int left = bar_width;
    for (int field = FIELD_RATE; field < FIELD_COUNT; field++)
        left -= widths[field];
    if (widen && message_width + STATUS_FIELD_MARGIN > left)
        for (int field = FIELD_RATE; field < FIELD_COUNT; field++)
            widths[field] = 0;
    return widths;
}
