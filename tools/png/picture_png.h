// The machine's picture as a PNG file, shared by the programs that save
// screenshots (the headless runner, the Allegro window).
#pragma once

#include "core/tms3556.h"

#include <cstdint>
#include <string>
#include <vector>

// Encodes `picture` with every dot a scale x scale square (scale 1 or more)
// into `png`. The file holds no time stamp: the same picture gives the same
// bytes. Returns an empty string, or why it could not be encoded.
std::string orv_png_encode(const tms3556_picture &picture, int scale, std::vector<uint8_t> &png);

// Writes the picture to a new file `path`; a file that exists already is
// left alone and reported. Returns an empty string, or "<path>: <reason>".
std::string orv_write_new_png(const std::string &path, const tms3556_picture &picture, int scale);
