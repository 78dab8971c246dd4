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

// Position and length of the tape playing, in seconds; false when none plays.
bool tape_position(double &position, double &length);
