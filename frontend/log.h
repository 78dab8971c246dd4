// The program's record of what it did, as the layer writes to it: one line
// per event (a key sent, a state saved, a step back). A program that keeps
// such a record (wxOrvane's WXORVANE_EVENT_LOG, which its window tests
// read) points `fe_log_sink` at its writer; by default nothing is written.
#pragma once

extern void (*fe_log_sink)(const char *line);

// Formats a line and hands it to the sink, if there is one.
void fe_log(const char *format, ...) __attribute__((format(printf, 1, 2)));
