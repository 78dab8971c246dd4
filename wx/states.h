// Save states and rewind, as the main window offers them. F5 saves the
// machine to the current slot, F7 loads it back, F6 picks the next slot (1
// to 9); the slots are files beside the cartridge image (orvane.st1 ... in
// the current directory without one). Holding Backspace steps back one
// emulated second at a time through the states the core keeps of the last
// minute, and the machine runs on from there when the key comes up.
//
// The slots and the rewind key are the shared layer's (frontend/states.h);
// each command returns the text the window shows in its status bar.
#pragma once

#include "frontend/states.h"

#include <string>

// The cartridge image now loaded ("" for none): the slots are named after it.
void states_set_cartridge(const std::string &path);

std::string states_save();
// On success the machine and its picture are those of the state (the
// caller shows the picture); on failure the machine runs on unchanged and
// the text says why.
std::string states_load(bool &loaded);
std::string states_next_slot();
// The current slot, 1 to 9.
int states_slot();
void states_set_slot(int n);

// The rewind key went down (its auto-repeat included) or up. A press always
// gives one step back, however short.
void rewind_key_down();
void rewind_key_up();
// Called once a tick before any frame runs; `message` gets the status text
// when there is a new one.
rewind_action rewind_tick(std::string &message);
