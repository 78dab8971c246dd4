// --debug: a script of debugger commands run on the machine after start-up,
// one a line, through the debugger both window programs use. Each command
// prints what it rebuilt; messages the debugger gives are printed as they
// come.
#include "headless.h"

#include "core/debug_engine.h"
#include "core/debugger.h"
#include "core/host.h"
#include "core/iocpu.h"
#include "core/loop.h"
#include "core/symbols.h"
#include "core/tms7000.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <sstream>
#include <string_view>
#include <sys/stat.h>

namespace {

constexpr long HL_MAX_STEPS = 1000000;
constexpr long HL_GO_FRAMES = 500;  // about 10 seconds of machine time

const hl_command_shape hl_commands[] = {
    {"step", 0, 1},   {"over", 0, 1},  {"go", 1, 2},  {"regs", 0, 0},    {"dasm", 0, 0},
    {"periph", 0, 0}, {"log", 0, 0},   {"who", 1, 1}, {"clear", 0, 0},   {"frames", 1, 1},
    {"key", 1, 1},    {"screenshot", 1, 1},
};

bool hl_number(const std::string &s, int base, long min, long max, long &out)
{
    if (s.empty() || !std::isxdigit(static_cast<unsigned char>(s[0])))
        return false;
    errno = 0;
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, base);
    if (errno || *end || v < min || v > max)
        return false;
    out = v;
    return true;
}

// Decimal, or hexadecimal after "0x".
bool hl_count(const std::string &s, long min, long max, long &out)
{
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return hl_number(s.substr(2), 16, min, max, out);
    return hl_number(s, 10, min, max, out);
}

// Checks one command's arguments and converts its numbers; empty on success.
std::string hl_check_command(hl_debug_command &c)
{
    const std::string *a = c.args.empty() ? nullptr : &c.args[0];
    if (c.name == "step" || c.name == "over") {
        c.number = 1;
        if (a && !hl_count(*a, 1, HL_MAX_STEPS, c.number))
            return c.name + " takes a count from 1 to " + std::to_string(HL_MAX_STEPS) + ", not '" + *a + "'";
    } else if (c.name == "go" || c.name == "who") {
        // A label is read when the command runs: the symbols load with the machine.
        c.label = orv_looks_like_name(*a);
        std::string why = hl_parse_address(*a, c.number);
        if (!why.empty() && !c.label)
            return why;
        unsigned long value;
        if (c.label && hl_labels_known && !(why = orv_parse_address(*a, 0xFFFF, value)).empty())
            return hl_label_message(*a, why);
        c.frames = HL_GO_FRAMES;
        if (c.args.size() > 1 && !hl_count(c.args[1], 1, HL_MAX_FRAMES, c.frames))
            return "go stops after a number of frames from 1 to " + std::to_string(HL_MAX_FRAMES) + ", not '" +
                   c.args[1] + "'";
    } else if (c.name == "frames") {
        if (!hl_count(*a, 0, HL_MAX_FRAMES, c.number))
            return "frames takes a number of frames from 0 to " + std::to_string(HL_MAX_FRAMES) + ", not '" + *a +
                   "'";
    } else if (c.name == "key") {
        if (!hl_count(*a, 0, 255, c.number))
            return "key takes a key code from 0 to 255 (decimal or 0x hexadecimal), not '" + *a + "'";
    } else if (hl_engine_shape(c.name)) {
        return hl_check_engine_command(c);
    }
    return "";
}

// The debugger's messages (write-watch, a step over that gave up, an
// address without digits) go where the commands print.
FILE *hl_debug_out;

void hl_debug_message(const char *text) { std::fprintf(hl_debug_out, "%s\n", text); }
int hl_debug_yes(const char *) { return 1; }

// "go" runs until it stops in the until-stop style; this program's stop key
// is the frame limit.
volatile char hl_go_stop;
long hl_go_frames_left;

void hl_go_frame_end()
{
    if (--hl_go_frames_left <= 0 || hl_signal)
        hl_go_stop = 1;
}

void hl_print(FILE *out, const char *view)
{
    std::fputs(view, out);
    size_t n = std::strlen(view);
    if (n && view[n - 1] != '\n')
        std::fputc('\n', out);
}

void hl_go(const hl_debug_command &c, FILE *out)
{
    std::snprintf(breakpoint_str, sizeof breakpoint_str, "%04lx", c.number);
    orv_host_hooks frame_style = orv_host;
    orv_host.style = ORV_LOOP_UNTIL_STOP;
    orv_host.stop_key = &hl_go_stop;
    orv_host.frame_end = hl_go_frame_end;
    hl_go_stop = 0;
    hl_go_frames_left = c.frames;
    const unsigned long serial = orv_debug_last_stop().serial;
    tobreaknoconfirm();
    orv_host = frame_style;

    unsigned pc = get_pc();
    if (orv_debug_last_stop().serial != serial)
        std::fprintf(out, "%s\n", hl_printable(orv_debug_stop_text(orv_debug_last_stop())).c_str());
    else if (pc == static_cast<unsigned>(c.number))
        std::fprintf(out, "Reached %04x\n", pc);
    else if (ask_bkpt)
        std::fprintf(out, "Break request at %04x before reaching %04lx\n", pc, c.number);
    else
        std::fprintf(out, "%04lx not reached in %ld frames: now at %04x\n", c.number, c.frames, pc);
    hl_print(out, disass_box);
}

// Runs one command; returns false when the run must end with status 1.
bool hl_run_command(const hl_debug_command &c, const hl_options &opt, FILE *out, FILE *err)
{
    const unsigned long serial = orv_debug_last_stop().serial;
    auto print_stop = [&] {
        if (orv_debug_last_stop().serial != serial)
            std::fprintf(out, "%s\n", hl_printable(orv_debug_stop_text(orv_debug_last_stop())).c_str());
    };
    // A repeated step refreshes the views once, at the end.
    if (c.name == "step") {
        for (long i = 0; i < c.number && !hl_signal; i++)
            orv_step();
        refresh_debugger();
        hl_print(out, disass_box);
    } else if (c.name == "over") {
        // One that gives up ends the repetition: the next would too, as
        // likely as not after as long.
        for (long i = 0; i < c.number && !hl_signal; i++)
            if (!stepover_run()) {
                if (c.number > 1)
                    std::fprintf(out, "over stopped after %ld of %ld\n", i + 1, c.number);
                break;
            }
        refresh_debugger();
        print_stop();
        hl_print(out, disass_box);
    } else if (c.name == "go") {
        hl_go(c, out);
    } else if (c.name == "regs") {
        regs_debugger();
        hl_print(out, registers_box);
    } else if (c.name == "dasm") {
        disass_debugger();
        hl_print(out, disass_box);
    } else if (c.name == "periph") {
        periph_debugger();
        hl_print(out, periph_box);
    } else if (c.name == "log") {
        get_log_str(log_box, 65536);
        hl_print(out, log_box);
    } else if (c.name == "who") {
        std::snprintf(breakpoint_str, sizeof breakpoint_str, "%04lx", c.number);
        info_address_mmu();
    } else if (c.name == "clear") {
        clear_log();
    } else if (c.name == "frames") {
        for (long f = 0; f < c.number && !hl_signal; f++) {
            const orv_stop why = orv_loop(0xFFFF);
            hl_last.frames_run++;
            if (why == ORV_STOP_DEBUG) {
                // The frame stays open: the next run goes on with it.
                std::fprintf(out, "frames stopped in frame %ld of %ld\n", f + 1, c.number);
                refresh_debugger();
                print_stop();
                hl_print(out, disass_box);
                break;
            }
        }
    } else if (c.name == "key") {
        send_key(static_cast<unsigned char>(c.number));
    } else if (c.name == "screenshot") {
        hl_draw_last_frame();
        std::string e = hl_write_png(c.args[0], tms3556_screen, opt.scale);
        if (!e.empty()) {
            std::fprintf(err, "orvane-headless: %s\n", hl_printable(e).c_str());
            return false;
        }
    }
    return true;
}

// The command with its labels read; false (and said on `err`) when a label
// is not in the symbols: the script stops there.
bool hl_resolve_labels(hl_debug_command &c, const std::string &where, FILE *err)
{
    if (!c.label)
        return true;
    unsigned long value;
    std::string why = orv_parse_address(c.args[0], 0xFFFF, value);
    if (!why.empty()) {
        std::fprintf(err, "orvane-headless: %s%s\n", where.c_str(),
                     hl_printable(hl_label_message(c.args[0], why)).c_str());
        return false;
    }
    c.number = static_cast<long>(value);
    return true;
}

} // namespace

std::string hl_printable(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        // C1 controls written in UTF-8 (C2 80 to C2 9F) act on some
        // terminals as their one-byte forms do.
        bool c1 = c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if ((c < 0x20 && c != '\t') || c == 0x7F || c1) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
            if (c1) {
                std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(text[++i]));
                out += code;
            }
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string hl_parse_debug_script(const std::string &whole, const std::string &name,
                                  std::vector<hl_debug_command> &out)
{
    out.clear();
    if (whole.size() > HL_MAX_SCRIPT_BYTES)
        return hl_printable(name) + ": longer than " + std::to_string(HL_MAX_SCRIPT_BYTES) +
               " bytes, the most a script may hold";
    // A byte-order mark that some editors put first is no command.
    std::string_view text = whole;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::string line;
    for (int number = 1; !text.empty(); number++) {
        size_t newline = text.find('\n');
        line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        auto where = [&] { return hl_printable(name) + ":" + std::to_string(number) + ": "; };
        if (line.size() > HL_MAX_SCRIPT_LINE)
            return where() + "the line is longer than " + std::to_string(HL_MAX_SCRIPT_LINE) + " characters";
        if (line.find('\0') != std::string::npos)
            return where() + "the line holds a NUL byte: a script is text";
        if (size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        if (line.find_first_not_of(" \t\r\v\f") == std::string::npos)
            continue;  // blank
        std::istringstream words(line);
        hl_debug_command c;
        c.line = number;
        c.text = line;
        if (!(words >> c.name))
            continue;
        for (std::string w; words >> w;)
            c.args.push_back(w);
        const hl_command_shape *kind = hl_engine_shape(c.name);
        for (const hl_command_shape &k : hl_commands)
            if (c.name == k.name)
                kind = &k;
        if (!kind)
            return where() + "unknown command '" + hl_printable(c.name) + "'";
        int n = static_cast<int>(c.args.size());
        if (n < kind->min_args)
            return where() + c.name + " needs " + (kind->min_args == 1 ? "a value" : "more values");
        if (n > kind->max_args)
            return where() + "too many values for " + c.name;
        std::string e = hl_check_command(c);
        if (!e.empty())
            return where() + hl_printable(e);
        size_t start = c.text.find_first_not_of(" \t");
        size_t end = c.text.find_last_not_of(" \t\r");
        c.text = c.text.substr(start, end - start + 1);
        out.push_back(c);
    }
    return "";
}

std::string hl_check_script_labels(const hl_options &opt)
{
    const std::string name = opt.debug == "-" ? "stdin" : opt.debug;
    hl_labels_known = true;
    std::string why;
    for (hl_debug_command c : opt.debug_script) {
        if (c.name == "symbols")
            break;
        why = hl_check_command(c);
        if (!why.empty()) {
            why = hl_printable(name) + ":" + std::to_string(c.line) + ": " + hl_printable(why);
            break;
        }
    }
    hl_labels_known = false;
    return why;
}

std::string hl_load_debug_script(hl_options &opt)
{
    bool from_stdin = opt.debug == "-";
    std::string name = from_stdin ? "stdin" : opt.debug;
    auto cannot = [&](int e) { return "--debug: cannot read '" + hl_printable(name) + "': " + std::strerror(e); };
    FILE *f = from_stdin ? stdin : std::fopen(opt.debug.c_str(), "rb");
    if (!f)
        return cannot(errno);
    struct stat st;
    int error = fstat(fileno(f), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    // Read no further than one byte past the limit: an endless input
    // (/dev/zero, `yes`) is refused as soon as it is too long.
    std::string text;
    std::vector<char> block(1 << 16);
    while (!error && text.size() <= HL_MAX_SCRIPT_BYTES) {
        size_t n = std::fread(block.data(), 1, std::min(block.size(), HL_MAX_SCRIPT_BYTES + 1 - text.size()), f);
        text.append(block.data(), n);
        if (n == 0) {
            error = std::ferror(f) ? (errno ? errno : EIO) : 0;
            break;
        }
    }
    if (!from_stdin)
        std::fclose(f);
    if (error)
        return cannot(error);
    return hl_parse_debug_script(text, name, opt.debug_script);
}

int hl_run_debug_script(const hl_options &opt, FILE *out, FILE *err)
{
    hl_debug_out = out;
    orv_host_hooks saved = orv_host;
    orv_host.message = hl_debug_message;
    orv_host.ask = hl_debug_yes;
    orv_host.interrupt_held = nullptr;
    int status = 0;
    for (hl_debug_command c : opt.debug_script) {
        if (hl_signal)
            break;
        std::fprintf(out, "> %s\n", hl_printable(c.text).c_str());
        const std::string where = hl_printable(opt.debug == "-" ? "stdin" : opt.debug) + ":" + std::to_string(c.line) + ": ";
        if (!hl_resolve_labels(c, where, err)) {
            status = 1;
            break;
        }
        if (hl_engine_shape(c.name)) {
            if (!hl_run_engine_command(c, out, err, where)) {
                status = 1;
                break;
            }
        } else if (!hl_run_command(c, opt, out, err)) {
            status = 1;
        }
        hl_report_traces(out);
    }
    std::string traces = hl_close_traces();
    for (size_t at = 0, nl; (nl = traces.find('\n', at)) != std::string::npos; at = nl + 1)
        std::fprintf(out, "%s\n", hl_printable(traces.substr(at, nl - at)).c_str());
    if (traces.find("cannot write") != std::string::npos)
        status = 1;
    orv_host = saved;
    return status;
}
