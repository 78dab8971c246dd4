// The debugger both programs share: four text views (disassembly, registers,
// peripheral, log), the address the user typed, and the commands that work
// on the stopped machine (step, step over, run to an address, write-watch
// lookup, clear log). Each command leaves the views rebuilt for the program
// to show; questions and messages go through the host contract (host.h).
#pragma once

#include <cstdint>

// The views, owned here for the life of the program; programs only show them.
extern char disass_box[4800];      // 20 lines of disassembly from the program counter
extern char registers_box[2400];   // registers, history, register file, video dump
extern char *periph_box;           // 65536 bytes: "VDP" and the video processor dump
extern char *log_box;              // 65536 bytes: the newest trace lines that fit
extern char breakpoint_str[32];    // the address the user typed, hexadecimal text

void disass_debugger();
void regs_debugger();
void periph_debugger();
// Rebuilds the four views.
void refresh_debugger();

void step();
void stepover();
void tobreak();
void tobreaknoconfirm();
void info_address_mmu();
void clear_log();

void debugger_clear_state();
