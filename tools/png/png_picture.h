// The machine's picture as PNG data, for the programs that save screenshots.
#pragma once

#include "core/tms3556.h"

#include <cstdint>
#include <string>
#include <vector>

// Encodes `picture` as an RGB PNG, every dot a `scale` x `scale` square,
// into `png`. The encoder stores no time stamp: the same picture gives the
// same bytes. Returns an empty string, or why it could not.
std::string orv_png_encode(const tms3556_picture &picture, int scale, std::vector<uint8_t> &png);

// Encodes and writes the file in one go. Returns an empty string, or
// "path: reason".
std::string orv_write_png(const std::string &path, const tms3556_picture &picture, int scale);
