// The window's title and the tape times it shows: decisions that need no
// window. (Where the picture goes is frontend/picture_fit.h.)
#pragma once

#include "frontend/tape_deck.h"

#include <string>

// What the title says besides the program's name.
struct title_facts {
    std::string base;          // "Orvane", or with the built-in firmware's notice
    std::string cartridge;     // path of the cartridge loaded, "" none
    std::string tape;          // path of the tape in the deck, "" none
    tape_state tape_now = tape_state::empty;
    double tape_position = 0;  // seconds
    double tape_length = 0;
    std::string speed_status;  // "Paused", "Fast forward 4x" ... (pacing.h), "" real time
    double percent = -1;       // measured speed in per cent of real time, < 0 not yet known
    std::string message;       // a message shown for a while, "" none
};

// The program, cartridge and tape as frontend/title_text.h names them, then
// the tape's position and length, the speed and the message:
// "Orvane - game.rom - prog.wav 0:12/1:30 - 100%", "... - Paused",
// "... - Fast forward 4x 396% - saved orvane-000.png".
std::string window_title(const title_facts &f);

// Seconds as "m:ss", or "h:mm:ss" from an hour on.
std::string tape_time_text(double seconds);
// A time typed by the user: seconds ("75", "12.5"), "m:ss" or "h:mm:ss".
// False for anything else (a negative time, a field of 60 or more).
bool tape_time_parse(const std::string &text, double &seconds);
