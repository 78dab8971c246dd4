#include "events.h"

#include <cstdio>
#include <cstdlib>

void event_log(const char *format, ...)
{
    static const char *path = std::getenv("WXORVANE_EVENT_LOG");
    if (!path || !*path)
        return;
    FILE *f = std::fopen(path, "a");
    if (!f)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(f, format, args);
    va_end(args);
    std::fputc('\n', f);
    std::fclose(f);
}

void event_log_line(const char *line)
{
    event_log("%s", line);
}
