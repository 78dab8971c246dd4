// A plain-text record of what the program did, for scripts that drive the
// window (the tests): one line per event, appended to the file named by the
// environment variable WXORVANE_EVENT_LOG. Nothing is written without it.
#pragma once

#include <cstdarg>

void event_log(const char *format, ...) __attribute__((format(printf, 1, 2)));
// The same for a line already made: the shared layer's record (frontend/log.h)
// goes here.
void event_log_line(const char *line);
