#include "status_layout.h"

namespace {

// The fixed fields' widths.
constexpr std::array<int, FIELD_COUNT> natural = {-1, 150, 80, 170, 70};
// The message field keeps this much of a narrow bar.
constexpr int MIN_MESSAGE_WIDTH = 20;

} // namespace

std::array<int, FIELD_COUNT> status_widths(int bar_width, int message_width, bool tape, bool widen)
{
    std::array<int, FIELD_COUNT> widths = natural;
    if (!tape)
        widths[FIELD_TAPE] = widths[FIELD_GAUGE] = 0;
    int fixed = 0;
    for (int field = FIELD_RATE; field < FIELD_COUNT; field++)
        fixed += widths[field];
    // A narrow window (1x): the fixed fields share what the bar has, so
    // that no field gets a negative width.
    int room = bar_width - MIN_MESSAGE_WIDTH;
    if (fixed > room)
        for (int field = FIELD_RATE; field < FIELD_COUNT; field++)
            widths[field] = room > 0 ? widths[field] * room / fixed : 0;
    int left = bar_width;
    for (int field = FIELD_RATE; field < FIELD_COUNT; field++)
        left -= widths[field];
    if (widen && message_width + STATUS_FIELD_MARGIN > left)
        for (int field = FIELD_RATE; field < FIELD_COUNT; field++)
            widths[field] = 0;
    return widths;
}
