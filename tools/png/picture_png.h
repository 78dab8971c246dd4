// The machine's picture as a PNG file, shared by the programs that save
// screenshots (the headless runner, the Allegro window).
#pragma once

#include "core/tms3556.h"

#include <string>

// Writes `picture` to `path` with every dot a scale x scale square (scale 1
// or more). The file holds no time stamp: the same picture gives the same
// bytes. Returns an empty string, or the error ("<path>: <reason>").
std::string orv_write_png(const std::string &path, const tms3556_picture &picture, int scale);
