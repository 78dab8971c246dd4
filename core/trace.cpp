#include "trace.h"

#include "trace_file.h"
#include "exec_mode.h"
#include "loop.h"
#include "slice.h"
#include "memory.h"
#include "trace_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr int LOG_LINES = 1000;
constexpr int LINE_SIZE = 256;
constexpr int LIST_MAX = 100;

char trace_log_tab[LOG_LINES][LINE_SIZE];

// Every flag decided so far, so that a reset of the facility can undecide them.
constexpr int DECIDED_MAX = 512;
trace_fn *decided[DECIDED_MAX];
int decided_count;

} // namespace

int g_notrace;
const char *g_func_name = "void";
int trace_init_flag;
int trace_log_next;
int trace_log_size;
int s_trace_time;
int debug_func_list_size;
char debug_func_list[LIST_MAX][64];

void init_trace()
{
    trace_log_next = 0;
    trace_log_size = 0;
    debug_func_list_size = 0;
    trace_init_flag = 1;

    FILE *f = std::fopen("debug.lst", "r");
    if (!f) {
        orv_fast_paths_update();
        return;
    }
    char word[64];
    while (std::fscanf(f, "%63s%*[^ \t\r\n\v\f]", word) == 1) {
        if (debug_func_list_size < LIST_MAX) {
            std::strcpy(debug_func_list[debug_func_list_size], word);
            debug_func_list_size++;
        }
    }
    std::fclose(f);
    orv_fast_paths_update();
}

void deinit_trace()
{
    trace_init_flag = 0;
    trace_log_next = 0;
    trace_log_size = 0;
    orv_fast_paths_update();
}

int check_debug(const char *name)
{
    if (!trace_init_flag)
        init_trace();
    for (int i = 0; i < debug_func_list_size; i++)
        if (std::strcmp(debug_func_list[i], name) == 0)
            return 1;
    return -1;
}

void trace_decide(trace_fn &tf)
{
    tf.flag = check_debug(tf.name);
    if (decided_count < DECIDED_MAX)
        decided[decided_count++] = &tf;
    orv_fast_paths_update();
}

namespace {

void write_line(const char *name, const char *format, va_list args)
{
    // The line is stamped with the time of the instruction before.
    if (orv_slice_live)
        orv_slice_sync_log();
    g_func_name = name;
    if (!trace_init_flag)
        init_trace();
    char *line = trace_log_tab[trace_log_next];
    int n = std::snprintf(line, LINE_SIZE, "%08X %04X %s:", static_cast<unsigned>(s_trace_time),
                          static_cast<unsigned>(p_pc), name);
    if (n >= 0 && n < LINE_SIZE - 1)
        std::vsnprintf(line + n, LINE_SIZE - n, format, args);
    trace_log_next = (trace_log_next + 1) % LOG_LINES;
    if (trace_log_size < LOG_LINES)
        trace_log_size++;
    if (orv_host.log_line)
        orv_host.log_line(line);
    if (orv_trace_file_log_on)
        orv_trace_file_log_line(line);
}

} // namespace

void trace_line(const char *name, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    write_line(name, format, args);
    va_end(args);
}

// Under the name in `g_func_name` when it is called.
int do_trace(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    write_line(g_func_name, format, args);
    va_end(args);
    return 0;
}

void no_trace() { g_notrace = 1; }
void restore_trace() { g_notrace = 0; }
void clear_log_str()
{
    trace_log_next = 0;
    trace_log_size = 0;
}

void get_log_str(char *buffer, int size)
{
    if (size <= 0)
        return;
    // Count, newest first, how many lines fit with their newlines and the terminator.
    int k = 0;
    long total = 0;
    for (int i = 0; i < trace_log_size; i++) {
        int slot = ((trace_log_next - 1 - i) % LOG_LINES + LOG_LINES) % LOG_LINES;
        long len = static_cast<long>(std::strlen(trace_log_tab[slot]));
        if (total + len + 2 > size)
            break;
        total += len + 1;
        k++;
    }
    char *out = buffer;
    for (int i = k; i > 0; i--) {
        int slot = ((trace_log_next - i) % LOG_LINES + LOG_LINES) % LOG_LINES;
        size_t len = std::strlen(trace_log_tab[slot]);
        std::memcpy(out, trace_log_tab[slot], len);
        out += len;
        *out++ = '\n';
    }
    *out = '\0';
}

void trace_clear_state()
{
    for (int i = 0; i < decided_count; i++)
        decided[i]->flag = 0;
    decided_count = 0;
    g_notrace = 0;
    g_func_name = "void";
    trace_init_flag = 0;
    trace_log_next = 0;
    trace_log_size = 0;
    s_trace_time = 0;
    debug_func_list_size = 0;
    std::memset(debug_func_list, 0, sizeof debug_func_list);
    std::memset(trace_log_tab, 0, sizeof trace_log_tab);
    orv_fast_paths_update();
}
