// A program's window title: its name, then the cartridge and the tape
// loaded, by file name ("wxOrvane - game.rom - side1.wav"), so that a user
// with several windows, or a task bar, sees what each one runs.
#pragma once

#include <string>

// `program` as it is; `cartridge` and `tape` are paths ("" for none), of
// which only the last component is shown.
std::string title_text(const std::string &program, const std::string &cartridge, const std::string &tape);
