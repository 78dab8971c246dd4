// The machine's picture saved as a PNG file.
#pragma once

#include "core/tms3556.h"

#include <string>

// Writes `picture` to `path` as an RGB PNG, every dot a `scale` x `scale`
// square. Returns an empty string, or the error.
std::string orv_write_png(const std::string &path, const tms3556_picture &picture, int scale);
