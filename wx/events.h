// A plain-text record of what the program did, for scripts that drive the
// window (the tests): one line per event, appended to the file named by the
// environment variable WXORVANE_EVENT_LOG. Nothing is written without it.
#pragma once

#include <cstdarg>
#include <cstdint>

void event_log(const char *format, ...) __attribute__((format(printf, 1, 2)));
// The same for a line already made: the shared layer's record (frontend/log.h)
// goes here.
void event_log_line(const char *line);

// Whether events are recorded (the variable is set).
bool event_log_on();
// The host's clock as the record gives times: milliseconds since the epoch,
// comparable with `date +%s%3N` in a script.
int64_t event_clock_ms();
