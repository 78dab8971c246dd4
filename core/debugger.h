// The debugger both programs share: four text views (disassembly, registers,
// peripheral, log), the address the user typed, and the commands that work
// on the stopped machine (step, step over, run to an address, write-watch
// lookup, clear log). Each command leaves the views rebuilt for the program
// to show; questions and messages go through the host contract (host.h).
//
// The views read memory with `program_peek_byte_8`, a read without effects (memory.h):
// showing the machine never changes it.
#pragma once

#include <cstdint>

// The views, owned here for the life of the program; programs only show them.
extern char disass_box[4800];      // 20 lines of disassembly from the program counter
extern char registers_box[2400];   // registers, history, register file, video dump
extern char *periph_box;           // 65536 bytes: "VDP" and the video processor dump
extern char *log_box;              // 65536 bytes: the newest trace lines that fit
extern char breakpoint_str[32];    // the address the user typed, hexadecimal text

// A step over in a program without `interrupt_held` gives up after this much
// machine time and says where it is through `message`.
constexpr int DEBUGGER_STEPOVER_SECONDS = 5;

// "%04X " address, six byte columns ("%02X" or two blanks), the instruction.
void disass_debugger();
// PC, SP, SR, the last eight program counters (n-1 the latest), R000-R127,
// the video processor dump.
void regs_debugger();
// "VDP" and the video processor dump.
void periph_debugger();
// Rebuilds the four views: disassembly, registers, peripheral, log.
void refresh_debugger();

// One instruction (`orv_step`, loop.h), then the views.
void step();
// Steps until the program counter lies 1 to 4 bytes after where it started
// (a call returns, a plain instruction ends), then the views. The program's
// `interrupt_held` ends it early once the program counter has passed the
// start; without that hook it gives up after DEBUGGER_STEPOVER_SECONDS.
// Waiting for a key's release afterwards is the program's business.
void stepover();
// The same without the views' refresh, for a command that repeats it and
// refreshes once at the end: true when control came back into the window,
// false when the program's key ended it, it gave up (then said so), or a
// breakpoint or watchpoint stopped it (debug_engine.h's orv_step_over says
// which).
bool stepover_run();
// The address in `breakpoint_str`, read by `orv_parse_hex_address`
// (address_text.h: hexadecimal as far as it goes; "0x" or "$" before it
// allowed), or a label (symbols.h: orv_read_address_field). `tobreak` asks "Go to %06x ?" first and on No only refills the
// log view; both then run `orv_loop` to the address and rebuild the views.
// Text without a hexadecimal digit, or a value above FFFF: nothing runs and
// `message` says why (the same for `info_address_mmu`).
void tobreak();
void tobreaknoconfirm();
// `message`: "Address 0x%04x was written at PC=0x%04x".
void info_address_mmu();
// Empties the trace log and the log view.
void clear_log();

void debugger_clear_state();
