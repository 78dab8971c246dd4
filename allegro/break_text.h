// The debugger's Break menu without the window: what its dialogs send to the
// debugger's engine (core/debug_engine.h, core/symbols.h) and the lines they
// show. The engine reads every address, label, range and condition; these
// only read the counts typed beside them and put the engine's answers into
// words.
#pragma once

#include "core/debug_engine.h"

#include <string>
#include <vector>

// One line of the breakpoint list: a breakpoint or a watchpoint.
struct break_entry {
    bool watch;
    int id;
    bool enabled;
    std::string text;  // "Breakpoint 1  F81D (ADD16)  hits 0", as the engine describes it
};
// Breakpoints first, then watchpoints, each in the engine's order.
std::vector<break_entry> break_entries();
// Switches the entry on or off, or removes it. False when it is gone.
bool break_entry_toggle(const break_entry &e);
bool break_entry_remove(const break_entry &e);

// A count typed in a field: decimal digits, blanks around them allowed; an
// empty field gives `empty_value`. Returns "" and sets `out`, or the message.
std::string break_count_read(const std::string &text, const std::string &what, long min, long max,
                             long empty_value, long &out);

// The largest hit count and trace length the dialogs take.
constexpr long BREAK_MAX_HITS = 1000000000;
constexpr long BREAK_MAX_TRACE_FRAMES = 100000000;

// "Add breakpoint": the address (hexadecimal or a label), the condition
// (may be empty) and the hit to stop from (empty: every hit). Returns "" and
// the new breakpoint's line in `added`, or the message; nothing is added then.
std::string break_add_fields(const std::string &address, const std::string &condition, const std::string &from_hit,
                             std::string &added);
// "Add watchpoint": the addresses (ADDR, FIRST..LAST, Pn, Rn) and the accesses.
std::string watch_add_fields(const std::string &range, bool read, bool write, std::string &added);

// "Trace to file": starts one trace for the frames typed (empty: until a
// stop). "" or the message.
std::string break_trace_start(orv_trace_kind kind, const std::string &path, const std::string &frames);
// Ends every trace being written: a line for each ("insn.txt: 3 lines", or
// why it could not be written); none when no trace was written.
std::vector<std::string> break_traces_stop();
// The traces that ended by themselves since last asked, a line for each.
std::vector<std::string> break_traces_ended();
// "Trace: log to trace.txt, instructions to insn.txt", or "" when none runs.
std::string break_traces_running();

// "Step back" by `count` instructions, or to the previous hit: the line to
// show (where the machine is now, or why it did not move).
std::string break_step_back(long count);
std::string break_back_to_hit();
