// The debugger's Break menu: breakpoints, watchpoints, step out, step back,
// traces to files, symbols and the labelled disassembly, all done by the
// debugger's engine; these files only ask and show. The Allegro side of
// break_text.h.
#pragma once

#include <string>

struct MENU;
struct DIALOG;

// The menu's entries, for the debugger's menu bar.
MENU *break_menu_items();
// A dialog object that runs the menu's commands from their keys.
int break_keys_proc(int msg, DIALOG *d, int c);
// The disassembly view: the debugger's own, or the labelled one when chosen.
int break_disass_proc(int msg, DIALOG *d, int c);
// F8: the step over, saying which breakpoint or watchpoint stopped it.
void break_stepover();
// A line in the log view (through the trace log) and in the window's title.
void break_say(const std::string &line);
// Traces that ended by themselves, said in the log view.
void break_say_traces_ended();
// What the automatic load of symbols (beside the cartridge, the firmware's)
// found wrong, if anything: on standard error and in the log view.
void break_symbols_note();

// The dialogs (break_dialogs.cpp, break_list.cpp). Each returns what a
// menu command returns.
int break_add_dialog();
int watch_add_dialog();
int step_back_dialog();
int trace_dialog();
int break_list_dialog();
// An alert with the engine's message cut into its lines.
void break_refusal(const std::string &heading, const std::string &why);
