#include "trace_file.h"

#include "dasm7000.h"
#include "debug_engine.h"
#include "debug_hooks.h"
#include "file_replace.h"
#include "memory.h"
#include "step_back.h"
#include "symbols.h"
#include "tms7000.h"
#include "trace.h"

#include <cstdio>
#include <cstring>
#include <string>

bool orv_trace_file_log_on;
bool orv_trace_file_insn_on;
bool orv_trace_files_open;

namespace {

struct trace_out {
    orv_output out;
    bool open = false;
    long frames_left = 0;  // 0: no limit
    long lines = 0;
    std::string ended;     // the outcome of a trace that ended by itself
};
trace_out dbg_traces[ORV_TRACE_KINDS];

// The instruction being traced, as it stood before it ran.
struct pending_insn {
    bool taken;
    int stamp;
    uint16_t pc;
    char bytes[12];
    char text[160];
};
pending_insn dbg_trace_insn;

void set_flags()
{
    orv_trace_file_log_on = dbg_traces[ORV_TRACE_LOG].open;
    orv_trace_file_insn_on = dbg_traces[ORV_TRACE_INSTRUCTIONS].open;
    orv_trace_files_open = orv_trace_file_log_on || orv_trace_file_insn_on;
    orv_debug_arm_update();
}

void write_line(orv_trace_kind kind, const char *line, size_t size)
{
    trace_out &t = dbg_traces[kind];
    if (!t.open || t.out.error)
        return;
    if (orv_output_write(t.out, line, size))
        t.lines++;
}

std::string finish(orv_trace_kind kind)
{
    trace_out &t = dbg_traces[kind];
    if (!t.open)
        return "";
    t.open = false;
    std::string why = t.out.error ? std::string(std::strerror(t.out.error)) : orv_output_commit(t.out);
    orv_output_discard(t.out);
    set_flags();
    return why.empty() ? "" : t.out.path + ": " + why;
}

// A trace that ends by itself keeps its outcome for the program.
void end_by_itself(orv_trace_kind kind)
{
    trace_out &t = dbg_traces[kind];
    if (!t.open)
        return;
    const long lines = t.lines;
    const std::string path = t.out.path;
    std::string why = finish(kind);
    t.ended = why.empty() ? path + ": " + std::to_string(lines) + (lines == 1 ? " line" : " lines") : why;
}

} // namespace

std::string orv_trace_file_start(orv_trace_kind kind, const std::string &path, long frames)
{
    if (kind != ORV_TRACE_LOG && kind != ORV_TRACE_INSTRUCTIONS)
        return "No such trace";
    if (frames < 0)
        return "A trace runs for 0 (no limit) or more frames";
    trace_out &t = dbg_traces[kind];
    if (t.open)
        return "A trace of this kind is already written to " + t.out.path + ": stop it first";
    for (const trace_out &other : dbg_traces)
        if (other.open && orv_same_file(other.out.path, path))
            return path + ": the other trace is written there";
    orv_output out;
    std::string why = orv_output_begin(out, path);
    if (!why.empty())
        return path + ": " + why;
    t.out = out;
    t.open = true;
    t.frames_left = frames;
    t.lines = 0;
    t.ended.clear();
    dbg_trace_insn.taken = false;
    set_flags();
    return "";
}

std::string orv_trace_file_stop(orv_trace_kind kind)
{
    if (kind != ORV_TRACE_LOG && kind != ORV_TRACE_INSTRUCTIONS)
        return "No such trace";
    return finish(kind);
}

bool orv_trace_file_active(orv_trace_kind kind)
{
    return (kind == ORV_TRACE_LOG || kind == ORV_TRACE_INSTRUCTIONS) && dbg_traces[kind].open;
}

long orv_trace_file_lines(orv_trace_kind kind)
{
    return kind == ORV_TRACE_LOG || kind == ORV_TRACE_INSTRUCTIONS ? dbg_traces[kind].lines : 0;
}

std::string orv_trace_file_ended(orv_trace_kind kind)
{
    if (kind != ORV_TRACE_LOG && kind != ORV_TRACE_INSTRUCTIONS)
        return "";
    std::string text;
    text.swap(dbg_traces[kind].ended);
    return text;
}

void orv_trace_file_log_line(const char *line)
{
    char text[300];
    int n = std::snprintf(text, sizeof text, "%s\n", line);
    if (n > 0)
        write_line(ORV_TRACE_LOG, text, std::strlen(text));
}

void orv_trace_file_insn_before(uint16_t pc)
{
    pending_insn &p = dbg_trace_insn;
    p.taken = true;
    p.stamp = s_trace_time;
    p.pc = pc;
    int length = dasm7000_peek_named(p.text, pc, orv_symbol_name_at);
    int n = 0;
    for (int i = 0; i < 4; i++) {
        if (i < length)
            n += std::snprintf(p.bytes + n, sizeof p.bytes - static_cast<size_t>(n), "%02X",
                               program_peek_byte_8((pc + static_cast<unsigned>(i)) & 0xFFFF));
        else
            n += std::snprintf(p.bytes + n, sizeof p.bytes - static_cast<size_t>(n), "  ");
    }
}

void orv_trace_file_insn_after()
{
    pending_insn &p = dbg_trace_insn;
    if (!p.taken)
        return;
    p.taken = false;
    char line[300];
    int n = std::snprintf(line, sizeof line, "%08X %04X %s %-24s A=%02X B=%02X SP=%02X ST=%s\n",
                          static_cast<unsigned>(p.stamp), p.pc, p.bytes, p.text, get_rf(0), get_rf(1), get_sp(),
                          get_sr_str());
    if (n > 0)
        write_line(ORV_TRACE_INSTRUCTIONS, line, std::strlen(line));
}

// Frames and stops of the history running again are none of the trace's.
void orv_trace_files_frame()
{
    if (dbg_history_replaying)
        return;
    for (int k = 0; k < ORV_TRACE_KINDS; k++) {
        trace_out &t = dbg_traces[k];
        if (t.open && t.frames_left > 0 && --t.frames_left == 0)
            end_by_itself(static_cast<orv_trace_kind>(k));
    }
}

void orv_trace_files_stopped()
{
    if (dbg_history_replaying)
        return;
    for (int k = 0; k < ORV_TRACE_KINDS; k++)
        end_by_itself(static_cast<orv_trace_kind>(k));
}

void trace_file_clear_state()
{
    for (trace_out &t : dbg_traces) {
        if (t.open)
            orv_output_discard(t.out);
        t = trace_out{};
    }
    dbg_trace_insn = {};
    orv_trace_file_log_on = false;
    orv_trace_file_insn_on = false;
    orv_trace_files_open = false;
}
