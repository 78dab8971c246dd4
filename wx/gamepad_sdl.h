// The first game controller SDL finds, read on every key poll and fed to
// the shared gamepad (frontend/gamepad.h): its d-pad and left stick as the
// directions, its buttons A, B, X, Y, Back, Guide, Start, the stick clicks
// and the shoulders as buttons 1 to 11. A controller plugged in later is
// found within a second; one pulled out lets every input come up.
#pragma once

#include "frontend/gamepad.h"

#include <string>

// Starts SDL's game controller subsystem. Returns "" or why it could not.
std::string gamepad_sdl_open();
// Reads the controller into `pad` (emulation thread).
void gamepad_sdl_poll(gamepad &pad);
// The controller's name, "" when none is open.
std::string gamepad_sdl_name();
void gamepad_sdl_close();
