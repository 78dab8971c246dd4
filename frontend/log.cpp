#include "log.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void (*fe_log_sink)(const char *line);

void fe_log(const char *format, ...)
{
    if (!fe_log_sink)
        return;
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (n >= 0) {
        // Lines name files, whose paths may be long: the whole line goes.
        std::vector<char> line(static_cast<size_t>(n) + 1);
        std::vsnprintf(line.data(), line.size(), format, again);
        fe_log_sink(line.data());
    }
    va_end(again);
}
