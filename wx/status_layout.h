// The main window's status bar: a message field, then the frame rate (or
// whether the debugger holds the machine), the sound, and while a tape is
// loaded its position and a gauge.
//
// The message field takes what the others leave. A message wider than
// that takes the whole bar for a while (MESSAGE_WIDE_SECONDS), after which
// the other fields come back; the bar shows the whole text as a tip when it
// is cut.
#pragma once

#include <array>

enum status_field { FIELD_HELP, FIELD_RATE, FIELD_SOUND, FIELD_TAPE, FIELD_GAUGE, FIELD_COUNT };

constexpr int MESSAGE_WIDE_SECONDS = 10;

// The widths to give the fields (-1: the rest of the bar), for a bar
// `bar_width` pixels wide, a message `message_width` pixels wide, with or
// without a tape; `widen` says whether the message may still take the bar.
std::array<int, FIELD_COUNT> status_widths(int bar_width, int message_width, bool tape, bool widen);

// The pixels a field's text leaves around it (borders and margins).
constexpr int STATUS_FIELD_MARGIN = 12;
