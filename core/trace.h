// Trace log: an in-memory ring of the last 1000 lines, each stamped with the
// emulated cycle count and the program counter.
//
// Every traced function owns one `trace_fn` record (its trace name and its
// debug flag). The flag is decided once, at the first call made while tracing
// is not suppressed, from the names listed in `debug.lst`:
//   0 = not yet decided, 1 = on (gated lines written), -1 = off.
// Gated lines (TRACE) are written only when the flag is on; ungated lines
// (TRACE_ALWAYS) whenever tracing is not suppressed. Each line carries the
// name of the function that writes it.
//
// `g_func_name` names the function that is logging while a line is
// written. Between lines it holds the last name set: a traced function's
// entry sets it (trace_enter), as does every line. The fast path's inline
// and port accesses pass by the bus functions without entering them, so
// between lines its value may differ from the reference path's; nothing
// reads it there, and the debuggers' views leave it as it is.
//
//   int program_read_byte_8(long address) {
//       static trace_fn tf = {"program_read_byte_8()", 0};
//       trace_enter(tf);
//       ...
//       TRACE(tf, "Reading RAM %04x, got %02x", a, v);
#pragma once

struct trace_fn {
    const char *name;
    int flag;
};

extern int g_notrace;
extern const char *g_func_name;
extern int trace_init_flag;
extern int trace_log_next;
extern int trace_log_size;
extern int s_trace_time;
extern int debug_func_list_size;
extern char debug_func_list[100][64];

int check_debug(const char *name);
int do_trace(const char *format, ...) __attribute__((format(printf, 1, 2)));
void no_trace();
void restore_trace();
// Runs after every instruction, hence inline.
inline void set_trace_time(int cycles) { s_trace_time = cycles; }
void clear_log_str();
void get_log_str(char *buffer, int size);
void init_trace();
void deinit_trace();

// Decides a function's flag (the slow path of trace_enter).
void trace_decide(trace_fn &tf);

// Entry of a traced function: names it and decides its flag once.
inline void trace_enter(trace_fn &tf)
{
    g_func_name = tf.name;
    if (!g_notrace && tf.flag == 0)
        trace_decide(tf);
}

// One line under the trace name `name`, the function that writes it: the line
// carries that name whatever ran since the function was entered (a line
// written inside a slice first brings the lazily updated counters up to date,
// which enters other traced functions). `g_func_name` then names it too.
void trace_line(const char *name, const char *format, ...) __attribute__((format(printf, 2, 3)));

#define TRACE(tf, ...)                                                         \
    do {                                                                       \
        if (!g_notrace && (tf).flag == 1)                                      \
            trace_line((tf).name, __VA_ARGS__);                                \
    } while (0)

#define TRACE_ALWAYS(tf, ...)                                                  \
    do {                                                                       \
        if (!g_notrace)                                                        \
            trace_line((tf).name, __VA_ARGS__);                                \
    } while (0)

// Puts the facility back to its program-start state: uninitialised, empty
// ring, `debug.lst` to be read again, every decided flag undecided.
void trace_clear_state();
