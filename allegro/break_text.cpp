#include "break_text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace {

// The file each kind of trace writes, while it runs.
std::string trace_path[ORV_TRACE_KINDS];

std::string trimmed(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string lines_text(long lines)
{
    return std::to_string(lines) + (lines == 1 ? " line" : " lines");
}

} // namespace

std::vector<break_entry> break_entries()
{
    std::vector<break_entry> entries;
    for (const orv_breakpoint &b : orv_breakpoints())
        entries.push_back({false, b.id, b.enabled, "Breakpoint " + orv_break_describe(b)});
    for (const orv_watchpoint &w : orv_watchpoints())
        entries.push_back({true, w.id, w.enabled, "Watchpoint " + orv_watch_describe(w)});
    return entries;
}

bool break_entry_toggle(const break_entry &e)
{
    return e.watch ? orv_watch_enable(e.id, !e.enabled) : orv_break_enable(e.id, !e.enabled);
}

bool break_entry_remove(const break_entry &e)
{
    return e.watch ? orv_watch_remove(e.id) : orv_break_remove(e.id);
}

std::string break_count_read(const std::string &text, const std::string &what, long min, long max,
                             long empty_value, long &out)
{
    const std::string t = trimmed(text);
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    if (t.empty()) {
        out = empty_value;
        return "";
    }
    bool digits = t.size() <= 12;
    for (char ch : t)
        digits = digits && std::isdigit(static_cast<unsigned char>(ch));
    errno = 0;
    long value = digits ? std::strtol(t.c_str(), nullptr, 10) : 0;
    if (!digits || errno || value < min || value > max)
        return what + ": '" + t + "' is not a number from " + range;
    out = value;
    return "";
}

std::string break_add_fields(const std::string &address, const std::string &condition, const std::string &from_hit,
                             std::string &added)
{
    long from = 0;
    std::string why = break_count_read(from_hit, "From hit", 1, BREAK_MAX_HITS, 0, from);
    if (!why.empty())
        return why;
    int id = orv_break_add(trimmed(address), trimmed(condition), from, why);
    if (!id)
        return why;
    for (const orv_breakpoint &b : orv_breakpoints())
        if (b.id == id)
            added = "Breakpoint " + orv_break_describe(b);
    return "";
}

std::string watch_add_fields(const std::string &range, bool read, bool write, std::string &added)
{
    std::string why;
    int id = orv_watch_add(trimmed(range), read, write, why);
    if (!id)
        return why;
    for (const orv_watchpoint &w : orv_watchpoints())
        if (w.id == id)
            added = "Watchpoint " + orv_watch_describe(w);
    return "";
}

std::string break_trace_start(orv_trace_kind kind, const std::string &path, const std::string &frames)
{
    long count = 0;
    std::string why = break_count_read(frames, "Frames", 1, BREAK_MAX_TRACE_FRAMES, 0, count);
    if (!why.empty())
        return why;
    const std::string file = trimmed(path);
    if (file.empty())
        return "Trace to file: no file named";
    why = orv_trace_file_start(kind, file, count);
    if (why.empty())
        trace_path[kind] = file;
    return why;
}

std::vector<std::string> break_traces_stop()
{
    std::vector<std::string> lines;
    for (int k = 0; k < ORV_TRACE_KINDS; k++) {
        const orv_trace_kind kind = static_cast<orv_trace_kind>(k);
        if (!orv_trace_file_active(kind))
            continue;
        const long count = orv_trace_file_lines(kind);
        std::string why = orv_trace_file_stop(kind);
        lines.push_back(why.empty() ? trace_path[k] + ": " + lines_text(count) : why);
    }
    return lines;
}

std::vector<std::string> break_traces_ended()
{
    std::vector<std::string> lines;
    for (int k = 0; k < ORV_TRACE_KINDS; k++) {
        std::string ended = orv_trace_file_ended(static_cast<orv_trace_kind>(k));
        if (!ended.empty())
            lines.push_back("Trace ended: " + ended);
    }
    return lines;
}

std::string break_traces_running()
{
    static const char *const names[] = {"log to ", "instructions to "};
    std::string text;
    for (int k = 0; k < ORV_TRACE_KINDS; k++)
        if (orv_trace_file_active(static_cast<orv_trace_kind>(k)))
            text += (text.empty() ? "Trace: " : ", ") + std::string(names[k]) + trace_path[k];
    return text;
}

std::string break_step_back(long count)
{
    std::string why = orv_step_back(count);
    return why.empty() ? orv_debug_stop_text(orv_debug_last_stop()) : why;
}

std::string break_back_to_hit()
{
    std::string why = orv_back_to_hit();
    return why.empty() ? orv_debug_stop_text(orv_debug_last_stop()) : why;
}
