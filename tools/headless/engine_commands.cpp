// --debug: the commands of the debugger's engine (core/debug_engine.h):
// symbols and the labelled listing, breakpoints and watchpoints, run, step
// out, step back and the trace files.
#include "headless.h"

#include "core/dasm_listing.h"
#include "core/debug_engine.h"
#include "core/debugger.h"
#include "core/host.h"
#include "core/loop.h"
#include "core/symbols.h"
#include "core/tms7000.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr long HL_LIST_MAX = 100000;

const hl_command_shape hl_engine_shapes[] = {
    {"symbols", 1, 1}, {"list", 0, 2},    {"break", 1, 64},   {"watch", 2, 2},     {"breaks", 0, 0},
    {"enable", 2, 2},  {"disable", 2, 2}, {"delete", 2, 2},   {"run", 0, 1},       {"out", 0, 0},
    {"back", 0, 1},    {"tracelog", 1, 2}, {"traceinsn", 1, 2},
};

// A number from min to max: decimal, or hexadecimal after 0x.
bool hl_count_arg(const std::string &s, long min, long max, long &out)
{
    int base = 10;
    std::string digits = s;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        digits = s.substr(2);
    }
    if (digits.empty() || digits.size() > 12)
        return false;
    for (char ch : digits)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(ch)) : std::isdigit(static_cast<unsigned char>(ch))))
            return false;
    errno = 0;
    long v = std::strtol(digits.c_str(), nullptr, base);
    if (errno || v < min || v > max)
        return false;
    out = v;
    return true;
}

// A label cannot be known before the machine has started (its symbols load
// with the firmware and the cartridge): an address that may be one (a name,
// even one spelt like a number too large, as ADD16) is read when the command
// runs.
bool hl_waits_for_symbols(const std::string &text, const std::string &why)
{
    return !hl_labels_known && (why.rfind("No label", 0) == 0 || orv_looks_like_name(text));
}

// The same for a condition: its memory byte [ADDRESS] may be a label.
bool hl_condition_waits(const std::string &condition, const std::string &why)
{
    size_t open = condition.find('['), close = condition.find(']');
    return open != std::string::npos && close != std::string::npos && close > open &&
           hl_waits_for_symbols(condition.substr(open + 1, close - open - 1), why);
}

// "break ADDR [if SUBJECT OP VALUE] [from N]": the address, the condition's
// text and the hit count.
std::string hl_split_break(const hl_debug_command &c, std::string &condition, long &from)
{
    condition.clear();
    from = 0;
    size_t i = 1;
    if (i < c.args.size() && c.args[i] == "if") {
        for (i++; i < c.args.size() && c.args[i] != "from"; i++)
            condition += (condition.empty() ? "" : " ") + c.args[i];
        if (condition.empty())
            return "break ... if needs a condition (for example: if A == 0x41)";
    }
    if (i < c.args.size() && c.args[i] == "from") {
        if (i + 2 != c.args.size() || !hl_count_arg(c.args[i + 1], 1, 1000000000, from))
            return "break ... from takes a hit count from 1 to 1000000000, and nothing after it";
        i += 2;
    }
    if (i != c.args.size())
        return "break ADDR [if CONDITION] [from N]: '" + c.args[i] + "' stands where 'if' or 'from' may";
    return "";
}

bool hl_watch_mode(const std::string &mode, bool &read, bool &write)
{
    read = mode == "r" || mode == "rw";
    write = mode == "w" || mode == "rw";
    return read || write;
}

void hl_print_text(FILE *out, const std::string &text)
{
    std::fputs(text.c_str(), out);
    if (!text.empty() && text.back() != '\n')
        std::fputc('\n', out);
}

} // namespace

void hl_report_traces(FILE *out)
{
    static const char *const names[] = {"tracelog", "traceinsn"};
    for (int k = 0; k < ORV_TRACE_KINDS; k++) {
        std::string ended = orv_trace_file_ended(static_cast<orv_trace_kind>(k));
        if (!ended.empty())
            std::fprintf(out, "%s ended: %s\n", names[k], hl_printable(ended).c_str());
    }
}

namespace {

volatile char hl_run_stop;
long hl_run_frames_left;

void hl_run_frame_end()
{
    if (--hl_run_frames_left <= 0 || hl_signal)
        hl_run_stop = 1;
}

} // namespace

bool hl_labels_known;

std::string hl_label_message(const std::string &text, const std::string &why)
{
    int loaded = 0;
    for (int k = 0; k < ORV_SYMBOL_SETS; k++)
        loaded += orv_symbols_count(static_cast<orv_symbol_set>(k));
    if (why.rfind("No label", 0) == 0 && loaded == 0)
        return "'" + text + "' is not an address (hexadecimal, 0 to FFFF)";
    return why;
}

const hl_command_shape *hl_engine_shape(const std::string &name)
{
    for (const hl_command_shape &s : hl_engine_shapes)
        if (name == s.name)
            return &s;
    return nullptr;
}

bool hl_script_steps_back(const std::vector<hl_debug_command> &script)
{
    for (const hl_debug_command &c : script)
        if (c.name == "back")
            return true;
    return false;
}

std::string hl_check_engine_command(hl_debug_command &c)
{
    const std::string first = c.args.empty() ? "" : c.args[0];
    unsigned long address;
    if (c.name == "list") {
        if (!c.args.empty()) {
            std::string why = orv_parse_address(first, 0xFFFF, address);
            if (!why.empty() && !hl_waits_for_symbols(first, why))
                return hl_label_message(first, why);
        }
        c.number = 20;
        if (c.args.size() > 1 && !hl_count_arg(c.args[1], 1, HL_LIST_MAX, c.number))
            return "list takes a count of instructions from 1 to " + std::to_string(HL_LIST_MAX) + ", not '" +
                   c.args[1] + "'";
    } else if (c.name == "break") {
        std::string why = orv_parse_address(first, 0xFFFF, address);
        if (!why.empty() && !hl_waits_for_symbols(first, why))
            return hl_label_message(first, why);
        std::string condition;
        why = hl_split_break(c, condition, c.frames);
        if (!why.empty())
            return why;
        orv_condition parsed;
        if (!condition.empty() && !(why = orv_condition_parse(condition, parsed)).empty() &&
            !hl_condition_waits(condition, why))
            return why;
    } else if (c.name == "watch") {
        bool read, write;
        if (!hl_watch_mode(first, read, write))
            return "watch takes r, w or rw, then the addresses, not '" + first + "'";
        uint16_t a, b;
        std::string why = orv_watch_range_parse(c.args[1], a, b);
        const std::string &range = c.args[1];
        const size_t dots = range.find("..");
        if (!why.empty() && !hl_waits_for_symbols(range.substr(0, dots), why) &&
            !(dots != std::string::npos && hl_waits_for_symbols(range.substr(dots + 2), why)))
            return why;
    } else if (c.name == "enable" || c.name == "disable" || c.name == "delete") {
        if (first != "break" && first != "watch")
            return c.name + " takes 'break' or 'watch', then a number" + (c.name == "delete" ? " or 'all'" : "");
        c.number = 0;
        if (!(c.name == "delete" && c.args[1] == "all") && !hl_count_arg(c.args[1], 1, 1000000, c.number))
            return c.name + " " + first + " takes the number the list shows" +
                   (c.name == "delete" ? " or 'all'" : "") + ", not '" + c.args[1] + "'";
    } else if (c.name == "run") {
        c.frames = 500;
        if (!c.args.empty() && !hl_count_arg(first, 1, HL_MAX_FRAMES, c.frames))
            return "run stops after a number of frames from 1 to " + std::to_string(HL_MAX_FRAMES) + ", not '" +
                   first + "'";
    } else if (c.name == "back") {
        c.number = 1;
        if (!c.args.empty() && first != "hit" && !hl_count_arg(first, 1, ORV_STEP_BACK_MAX, c.number))
            return "back takes a count of instructions from 1 to " + std::to_string(ORV_STEP_BACK_MAX) +
                   ", or 'hit', not '" + first + "'";
    } else if (c.name == "tracelog" || c.name == "traceinsn") {
        c.frames = 0;
        if (first == "off" && c.args.size() > 1)
            return c.name + " off takes nothing after it";
        if (c.args.size() > 1 && !hl_count_arg(c.args[1], 1, HL_MAX_FRAMES, c.frames))
            return c.name + " FILE [FRAMES]: FRAMES is a number of frames from 1 to " +
                   std::to_string(HL_MAX_FRAMES) + ", not '" + c.args[1] + "'";
    }
    return "";
}

// Runs one of the engine's commands; false when the script must stop
// (a label the symbols do not hold) with status 1.
bool hl_run_engine_command(const hl_debug_command &c, FILE *out, FILE *err, const std::string &where)
{
    const std::string first = c.args.empty() ? "" : c.args[0];
    auto refused = [&](const std::string &why) {
        std::fprintf(err, "orvane-headless: %s%s\n", where.c_str(), hl_printable(why).c_str());
        return false;
    };
    const unsigned long serial = orv_debug_last_stop().serial;
    auto print_stop_or = [&](const char *otherwise) {
        if (orv_debug_last_stop().serial != serial)
            hl_print_text(out, hl_printable(orv_debug_stop_text(orv_debug_last_stop())));
        else if (otherwise)
            std::fprintf(out, "%s\n", otherwise);
    };
    unsigned long address;
    std::string why;
    if (c.name == "symbols") {
        std::string note;
        why = orv_symbols_load_file(ORV_SYMBOLS_USER, first, note);
        if (!why.empty())
            return refused(why);
        const int n = orv_symbols_count(ORV_SYMBOLS_USER);
        std::fprintf(out, "%d symbol%s from %s\n", n, n == 1 ? "" : "s", hl_printable(first).c_str());
        if (!note.empty())
            std::fprintf(out, "%s\n", hl_printable(note).c_str());
    } else if (c.name == "list") {
        address = get_pc();
        if (!c.args.empty() && !(why = orv_parse_address(first, 0xFFFF, address)).empty())
            return refused(why);
        hl_print_text(out, orv_dasm_listing(static_cast<unsigned>(address), static_cast<int>(c.number)));
    } else if (c.name == "break") {
        std::string condition;
        long from;
        hl_split_break(c, condition, from);
        int id = orv_break_add(first, condition, from, why);
        if (!id)
            return refused(why);
        for (const orv_breakpoint &b : orv_breakpoints())
            if (b.id == id)
                std::fprintf(out, "Breakpoint %s\n", hl_printable(orv_break_describe(b)).c_str());
    } else if (c.name == "watch") {
        bool read, write;
        hl_watch_mode(first, read, write);
        int id = orv_watch_add(c.args[1], read, write, why);
        if (!id)
            return refused(why);
        for (const orv_watchpoint &w : orv_watchpoints())
            if (w.id == id)
                std::fprintf(out, "Watchpoint %s\n", hl_printable(orv_watch_describe(w)).c_str());
    } else if (c.name == "breaks") {
        if (orv_breakpoints().empty() && orv_watchpoints().empty())
            std::fprintf(out, "No breakpoints or watchpoints\n");
        for (const orv_breakpoint &b : orv_breakpoints())
            std::fprintf(out, "Breakpoint %s\n", hl_printable(orv_break_describe(b)).c_str());
        for (const orv_watchpoint &w : orv_watchpoints())
            std::fprintf(out, "Watchpoint %s\n", hl_printable(orv_watch_describe(w)).c_str());
    } else if (c.name == "enable" || c.name == "disable" || c.name == "delete") {
        const bool is_break = first == "break";
        bool found;
        if (c.name == "delete" && c.args[1] == "all") {
            if (is_break)
                orv_break_clear();
            else
                orv_watch_clear();
            found = true;
        } else if (c.name == "delete") {
            found = is_break ? orv_break_remove(static_cast<int>(c.number)) : orv_watch_remove(static_cast<int>(c.number));
        } else {
            found = is_break ? orv_break_enable(static_cast<int>(c.number), c.name == "enable")
                             : orv_watch_enable(static_cast<int>(c.number), c.name == "enable");
        }
        if (!found)
            std::fprintf(out, "No %s %ld\n", is_break ? "breakpoint" : "watchpoint", c.number);
    } else if (c.name == "run") {
        orv_host_hooks frame_style = orv_host;
        orv_host.style = ORV_LOOP_UNTIL_STOP;
        orv_host.stop_key = &hl_run_stop;
        orv_host.frame_end = hl_run_frame_end;
        hl_run_stop = 0;
        hl_run_frames_left = c.frames;
        orv_loop(0xFFFF);
        orv_host = frame_style;
        refresh_debugger();
        char otherwise[96];
        std::snprintf(otherwise, sizeof otherwise, "No stop in %ld frames: now at %04x", c.frames, get_pc());
        print_stop_or(otherwise);
        hl_print_text(out, disass_box);
    } else if (c.name == "out") {
        orv_debug_result r = orv_step_out();
        refresh_debugger();
        if (r != ORV_DEBUG_GAVE_UP)
            print_stop_or(nullptr);
        hl_print_text(out, disass_box);
    } else if (c.name == "back") {
        why = first == "hit" ? orv_back_to_hit() : orv_step_back(c.number);
        refresh_debugger();
        if (!why.empty())
            std::fprintf(out, "%s\n", hl_printable(why).c_str());
        else
            print_stop_or(nullptr);
        hl_print_text(out, disass_box);
    } else if (c.name == "tracelog" || c.name == "traceinsn") {
        const orv_trace_kind kind = c.name == "tracelog" ? ORV_TRACE_LOG : ORV_TRACE_INSTRUCTIONS;
        if (first == "off") {
            const long lines = orv_trace_file_lines(kind);
            if (!orv_trace_file_active(kind)) {
                std::fprintf(out, "%s: no trace is written\n", c.name.c_str());
            } else if (!(why = orv_trace_file_stop(kind)).empty()) {
                return refused(why);
            } else {
                std::fprintf(out, "%s: %ld %s\n", c.name.c_str(), lines, lines == 1 ? "line" : "lines");
            }
        } else if (!(why = orv_trace_file_start(kind, first, c.frames)).empty()) {
            return refused(why);
        }
    }
    return true;
}

std::string hl_close_traces()
{
    static const char *const names[] = {"tracelog", "traceinsn"};
    std::string report;
    for (int k = 0; k < ORV_TRACE_KINDS; k++) {
        const orv_trace_kind kind = static_cast<orv_trace_kind>(k);
        if (!orv_trace_file_active(kind))
            continue;
        const long lines = orv_trace_file_lines(kind);
        std::string why = orv_trace_file_stop(kind);
        report += std::string(names[k]) + ": " +
                  (why.empty() ? std::to_string(lines) + (lines == 1 ? " line" : " lines") : "cannot write " + why) +
                  "\n";
    }
    return report;
}
