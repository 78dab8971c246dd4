// Tapes: WAV files read by the shared layer's reader and played into the
// cassette input, in the shared tape deck (frontend/tape_deck.h).
#pragma once

#include "frontend/tape_deck.h"

#include <string>

// The program's deck.
tape_deck &tape();

// Loads `path` onto the cassette input. Returns an empty string, or the
// message to show; `warning` gets a note when the recording plays but its
// samples cannot move the input bit.
std::string tape_load(const std::string &path, std::string &warning);

// Position and length of the tape loaded, in seconds; false when none is.
bool tape_position(double &position, double &length);

// What the status bar says about the tape: "Tape 0:12/3:45" while it
// plays, "Tape stopped 0:12/3:45", "Tape at its end 3:45/3:45"; "" when
// none is loaded.
std::string tape_status_text();

// A time typed by the user: "75", "1:15" or "1:15.5" (minutes and
// seconds). False when it is none.
bool tape_time_parse(const std::string &text, double &seconds);
// Seconds as "m:ss".
std::string tape_time_text(double seconds);
