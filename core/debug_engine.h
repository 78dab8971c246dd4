// The debugger's engine, for people who write programs for the machine:
// breakpoints with conditions and hit counts, watchpoints on memory and on
// the peripheral file, step out, step back, and the trace written to files.
// It sits beside the debugger's commands and views (debugger.h), which stay
// as they are; symbols and "label or address" reading are in symbols.h, the
// labelled disassembly in dasm_listing.h.
//
// A program drives it through this header alone. Every call works on the
// stopped machine, on the emulation thread. Texts typed by the user go in
// as text and come back checked: a call that refuses says why in `why`.
//
// Running with any breakpoint or watchpoint enabled, or an instruction
// trace open, uses the reference path (exec_mode.h); without them the fast
// path runs exactly as before. A stop of the engine's comes before an
// instruction, with every instruction before it complete: the frame loop
// returns ORV_STOP_DEBUG and the next run carries on with the same frame,
// so a run stopped and resumed is the run that was not stopped.
#pragma once

#include "host.h"
#include "loop.h"

#include <cstdint>
#include <string>
#include <vector>

// ---- Conditions ----------------------------------------------------------
//
// "SUBJECT OP VALUE": SUBJECT is A, B, SP, ST (the status register), PC, a
// register-file byte R0 to R127 (decimal, as the register view numbers
// them), or a memory byte [ADDRESS] (hexadecimal or a label, read without
// effects); OP is ==, !=, <, <=, > or >=; VALUE is decimal, or hexadecimal
// after 0x or $ (for PC, 0 to FFFF; otherwise 0 to 255). Comparisons are
// unsigned. Examples: "A == 0x41", "R10 != 0", "[C123] >= 80".
struct orv_condition {
    enum subject_t { A, B, SP, ST, PC, RF, MEM } subject = A;
    enum op_t { EQ, NE, LT, LE, GT, GE } op = EQ;
    unsigned where = 0;  // RF: the register; MEM: the address
    unsigned value = 0;
    std::string text;    // as the engine writes it back
};
// Returns "" and fills `c`, or the message to show.
std::string orv_condition_parse(const std::string &text, orv_condition &c);
bool orv_condition_holds(const orv_condition &c);

// ---- Breakpoints ---------------------------------------------------------
//
// A breakpoint stops a run before the instruction at its address is
// executed, when its condition (if any) holds there. With a hit count N it
// stops from its Nth hit on (a hit: the address reached with the condition
// holding); `hits` counts them. A run that starts on a breakpoint's address
// runs that instruction first.
constexpr int ORV_MAX_BREAKPOINTS = 64;
struct orv_breakpoint {
    int id;  // 1 up, never reused while the program runs
    uint16_t address;
    bool enabled;
    bool conditional;
    orv_condition condition;
    long hit_target;  // 0 or 1: every hit; N: from the Nth on
    long hits;
};
// `address`: hexadecimal or a label (symbols.h); `condition` may be empty.
// Returns the new breakpoint's number, or 0 with `why`.
int orv_break_add(const std::string &address, const std::string &condition, long hit_target, std::string &why);
bool orv_break_remove(int id);  // false: no such breakpoint
bool orv_break_enable(int id, bool enabled);
void orv_break_clear();         // all of them
void orv_break_reset_hits();    // every count back to 0
const std::vector<orv_breakpoint> &orv_breakpoints();
// "1  F81D (ADD16)  if A == 0x41  from hit 3  hits 0  [off]" and the like.
std::string orv_break_describe(const orv_breakpoint &b);

// ---- Watchpoints ---------------------------------------------------------
//
// A watchpoint stops a run after an instruction that read or wrote one of
// its addresses through the bus (the processor's data accesses: fetching
// instruction bytes is no read, the debugger's views read nothing).
// Addresses: ADDR or FIRST..LAST (hexadecimal or labels), a peripheral-file
// register Pn (n decimal, 0 to 255, as the disassembly writes it: P6 is
// 0106), or a register-file byte Rn (0000 to 007F).
constexpr int ORV_MAX_WATCHPOINTS = 32;
struct orv_watchpoint {
    int id;
    uint16_t first, last;
    bool read, write;
    bool enabled;
    long hits;
};
int orv_watch_add(const std::string &range, bool read, bool write, std::string &why);
// Reads a range as orv_watch_add does: "" or the message.
std::string orv_watch_range_parse(const std::string &range, uint16_t &first, uint16_t &last);
bool orv_watch_remove(int id);
bool orv_watch_enable(int id, bool enabled);
void orv_watch_clear();
const std::vector<orv_watchpoint> &orv_watchpoints();
// "1  C010-C011 (COUNTER)  write  hits 2" and the like.
std::string orv_watch_describe(const orv_watchpoint &w);

// ---- Why the engine stopped ---------------------------------------------
struct orv_debug_stop {
    enum kind_t {
        NONE,        // no stop of the engine's yet
        BREAKPOINT,  // `id`, `hits`
        WATCHPOINT,  // `id`; the access: `instruction` (the instruction that
                     // made it), `address`, `value`, `write`
        STEP_OUT,    // a step out came back (RETS or RETI at `instruction`)
        STEP_BACK,   // the machine was put back here
    } kind = NONE;
    int id = 0;
    uint16_t pc = 0;           // where the machine stands: the next instruction
    uint16_t instruction = 0;  // the instruction the stop is about
    uint16_t address = 0;
    uint8_t value = 0;
    bool write = false;
    bool interrupt = false;    // WATCHPOINT: the access was an interrupt's entry
                               // (taken after `instruction`)
    long hits = 0;
    unsigned long serial = 0;  // counts the engine's stops: a new value is a new stop
};
const orv_debug_stop &orv_debug_last_stop();
// One line: "Breakpoint 2 at F81D (ADD16), hit 3: A == 0x41", "Watchpoint 1:
// write of 41 to C010 (COUNTER) by the instruction at F80C; now at F80F", ...
std::string orv_debug_stop_text(const orv_debug_stop &s);

// ---- Running ---------------------------------------------------------------
//
// Step over (debugger.h's `stepover_run`) and step out stop at a breakpoint
// or watchpoint like a run does.
enum orv_debug_result {
    ORV_DEBUG_DONE,         // the step ended where it was meant to
    ORV_DEBUG_STOPPED,      // a breakpoint or watchpoint stopped it (orv_debug_last_stop)
    ORV_DEBUG_INTERRUPTED,  // the program's interrupt key (host.h interrupt_held)
    ORV_DEBUG_GAVE_UP,      // no interrupt key: the machine-time bound passed (said through `message`)
};
// Step over (debugger.h) with the detail of how it ended.
orv_debug_result orv_step_over();
// Runs until the current subroutine returns: a RETS or RETI that leaves the
// stack pointer below where it stood at the start (the stack grows upward).
// Bounded as step over is (DEBUGGER_STEPOVER_SECONDS without the program's
// interrupt key). The views are not refreshed.
orv_debug_result orv_step_out();
// After one `orv_step`: whether a breakpoint or watchpoint would stop a run
// before the next instruction (then it is recorded as the last stop). For
// loops made of single steps (step over, step out).
bool orv_debug_step_stops();

// ---- Step back -------------------------------------------------------------
//
// While the history is kept, every run, step and key is written down and
// the machine saved about once a second of machine time, for the last
// ORV_HISTORY_SECONDS seconds. Stepping back restores the nearest earlier
// save and runs the machine again, exactly as it ran, to the instruction
// wanted; the machine is then as it was there (and the run may go on from
// there: what came after is forgotten). The trace log is not rewound, and
// the picture shown is that of the state (redraw it).
//
// The history starts afresh when a state, a cartridge, the firmware or a
// tape is loaded. A change it did not see (a memory edit, a line raised by
// the program) is found when the run is made again; the step back is then
// refused, and the history starts afresh.
constexpr int ORV_HISTORY_SECONDS = 60;
constexpr long ORV_STEP_BACK_MAX = 1000000;  // instructions in one step back
void orv_history_enable(bool on);  // off forgets it
bool orv_history_enabled();
// A program that changes the machine between runs by itself (a memory
// editor) says so: the history starts afresh from here. (The rewind ring of
// rewind.h is another thing: one state a second, kept by the programs.)
void orv_history_restart();
// Machine time the history reaches back, in seconds (0 without a history).
double orv_history_seconds();
// Undoes the last `n` instructions (1 to ORV_STEP_BACK_MAX). Returns "", or
// why nothing moved ("the history reaches only ...", no history, ...).
std::string orv_step_back(long n);
// Goes back to the last place before this one where a breakpoint (its
// address reached with its condition holding; hit counts aside) or a
// watchpoint (after the access) would have stopped.
std::string orv_back_to_hit();

// ---- Trace to files ------------------------------------------------------
//
// LOG: the trace log's lines (trace.h; the functions named in debug.lst and
// every unconditional line) as they are written, without the ring's limit.
// INSTRUCTIONS: one line an instruction run:
//   "%08X " cycle stamp, "%04X " address, the bytes, the disassembly, and
//   the registers after it: "A=.. B=.. SP=.. ST=........"
// A trace runs for `frames` frames (0: no limit), or until a run stops for
// anything but the end of a frame, or until it is stopped. The file is
// written by the output rules (file_replace.h: a regular file is replaced
// once the trace ends, a device or FIFO written into, a link or directory
// refused).
enum orv_trace_kind { ORV_TRACE_LOG, ORV_TRACE_INSTRUCTIONS, ORV_TRACE_KINDS };
std::string orv_trace_file_start(orv_trace_kind kind, const std::string &path, long frames);
// Ends it and puts the file in place: "" or why it could not be written.
std::string orv_trace_file_stop(orv_trace_kind kind);
bool orv_trace_file_active(orv_trace_kind kind);
long orv_trace_file_lines(orv_trace_kind kind);  // lines written so far
// A trace that ended by itself (frames, a stop) leaves its outcome here
// until read: "" when none ended, else "FILE: N lines" or the failure.
std::string orv_trace_file_ended(orv_trace_kind kind);

// Forgets breakpoints, watchpoints, the history and the traces (a trace
// being written is discarded).
void debug_engine_clear_state();
