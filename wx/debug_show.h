// What the debugger window shows of the debugger's engine, without wx: the
// rows of the breakpoint list, the engine's new stops, and the traces that
// ended by themselves. The window only puts these texts on the screen.
#pragma once

#include <string>
#include <vector>

// One line of the breakpoint list: a breakpoint ('B') or a watchpoint ('W').
struct break_row {
    char kind;
    int id;
    bool enabled;
    std::string where;   // "F81D (ADD16)", "C000..C00F (TABLE)"
    std::string detail;  // "if A == 0x41, from hit 3"; "read", "write", "read/write"
    long hits;

    bool operator==(const break_row &) const = default;
};
// Breakpoints first, then watchpoints, each in the order they were added.
std::vector<break_row> break_rows();
// "B1", "W2": how the list names a row.
std::string break_row_name(const break_row &r);

// The engine's stops not shown yet. Each program window keeps one: the
// first call sees no stop, later calls the stop text of a stop newer than
// the last one seen.
class stop_news {
public:
    stop_news();
    // True, with the text, when the engine stopped since the last call.
    bool take(std::string &text);

private:
    unsigned long seen_;
};

// Traces that ended by themselves (their frames ran, or a stop), one line
// each ("Trace of instructions ended: FILE: N lines", "Trace of the log
// ended: ..."); "" when none did.
std::string trace_news();
// Ends the traces being written and puts their files in place, for the
// program's exit; what was written, one line a trace ("" when none was).
std::string traces_close();
// What loading a symbol file gave: "Symbols: 12 from FILE" and the note,
// or "Cannot load symbols: ..." when `why` is not empty.
std::string symbols_loaded_text(const std::string &why, const std::string &note);
