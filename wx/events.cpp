#include "events.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

const char *log_path()
{
    static const char *path = std::getenv("WXORVANE_EVENT_LOG");
    return path && *path ? path : nullptr;
}

} // namespace

bool event_log_on()
{
    return log_path() != nullptr;
}

int64_t event_clock_ms()
{
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

void event_log(const char *format, ...)
{
    const char *path = log_path();
    if (!path)
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
