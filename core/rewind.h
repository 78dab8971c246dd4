// Rewind: the programs keep one state per emulated second for the last 60
// seconds, and step back through them a second at a time.
//
// A program calls `orv_rewind_frame` after every frame it has run; a state
// is taken after the first frame and then every ORV_REWIND_FRAMES frames.
// `orv_rewind_back` puts the machine back to the newest state taken before
// the present: a step from a state just taken goes back exactly
// ORV_REWIND_FRAMES frames, a step in the middle of a second back to its
// start. The machine runs on from there; the states after it are dropped.
#pragma once

#include <cstddef>

// The whole frames closest to one emulated second (49.26 frames).
constexpr int ORV_REWIND_FRAMES = 49;
constexpr int ORV_REWIND_STATES = 60;

void orv_rewind_frame();

// False when there is no earlier state to go back to (the machine is then
// unchanged).
bool orv_rewind_back();

// States held, and the memory they take in bytes.
int orv_rewind_count();
size_t orv_rewind_bytes();

// Forgets every state (a program that starts the machine afresh).
void orv_rewind_clear();
