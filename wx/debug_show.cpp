#include "debug_show.h"

#include "core/debug_engine.h"
#include "core/symbols.h"

#include <cstdio>

namespace {

const char *const TRACE_NAMES[ORV_TRACE_KINDS] = {"the log", "instructions"};

std::string watch_where(const orv_watchpoint &w)
{
    std::string where = orv_symbol_describe(w.first);
    if (w.last == w.first)
        return where;
    char last[12];
    std::snprintf(last, sizeof last, "..%04X", static_cast<unsigned>(w.last));
    // "C000 (TABLE)" becomes "C000..C00F (TABLE)": the name is the first address's.
    where.insert(4, last);
    return where;
}

} // namespace

std::vector<break_row> break_rows()
{
    std::vector<break_row> rows;
    for (const orv_breakpoint &b : orv_breakpoints()) {
        std::string detail;
        if (b.conditional)
            detail = "if " + b.condition.text;
        if (b.hit_target > 1) {
            if (!detail.empty())
                detail += ", ";
            detail += "from hit ";
            detail += std::to_string(b.hit_target);
        }
        rows.push_back({'B', b.id, b.enabled, orv_symbol_describe(b.address), detail, b.hits});
    }
    for (const orv_watchpoint &w : orv_watchpoints())
        rows.push_back({'W', w.id, w.enabled, watch_where(w), w.read && w.write ? "read/write" : w.read ? "read" : "write",
                        w.hits});
    return rows;
}

std::string break_row_name(const break_row &r)
{
    char name[16];
    std::snprintf(name, sizeof name, "%c%d", r.kind, r.id);
    return name;
}

stop_news::stop_news() : seen_(orv_debug_last_stop().serial) {}

bool stop_news::take(std::string &text)
{
    const orv_debug_stop &s = orv_debug_last_stop();
    if (s.serial == seen_ || s.kind == orv_debug_stop::NONE)
        return false;
    seen_ = s.serial;
    text = orv_debug_stop_text(s);
    return true;
}

std::string trace_news()
{
    std::string news;
    for (int k = 0; k < ORV_TRACE_KINDS; k++) {
        std::string ended = orv_trace_file_ended(static_cast<orv_trace_kind>(k));
        if (!ended.empty())
            news += std::string("Trace of ") + TRACE_NAMES[k] + " ended: " + ended + "\n";
    }
    return news;
}

std::string traces_close()
{
    std::string report;
    for (int k = 0; k < ORV_TRACE_KINDS; k++) {
        const orv_trace_kind kind = static_cast<orv_trace_kind>(k);
        if (!orv_trace_file_active(kind))
            continue;
        const long lines = orv_trace_file_lines(kind);
        const std::string why = orv_trace_file_stop(kind);
        report += std::string("Trace of ") + TRACE_NAMES[k] + ": " +
                  (why.empty() ? std::to_string(lines) + (lines == 1 ? " line" : " lines") : "cannot write " + why) +
                  "\n";
    }
    return report;
}

std::string symbols_loaded_text(const std::string &why, const std::string &note)
{
    if (!why.empty())
        return "Cannot load symbols: " + why;
    std::string text = "Symbols: " + std::to_string(orv_symbols_count(ORV_SYMBOLS_USER)) + " from " +
                       orv_symbols_source(ORV_SYMBOLS_USER);
    if (!note.empty())
        text += " (" + note + ")";
    return text;
}
