// The debugger window's dialogs for the engine's commands: add a
// breakpoint, add a watchpoint, write a trace to a file. Each gives the
// typed text to the engine, and on a refusal shows the engine's message and
// stays open with the text as typed, until the engine takes it or the user
// cancels. Each returns what was done, for the debugger's status line
// ("" on Cancel).
#pragma once

#include <string>

class wxWindow;

std::string break_add_dialog(wxWindow *parent);
std::string watch_add_dialog(wxWindow *parent);
std::string trace_start_dialog(wxWindow *parent);
