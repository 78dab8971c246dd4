// Nearest-neighbour scaling of the picture for the window: every host pixel
// takes the colour of the machine dot under its centre, so dots stay sharp
// squares (or near-squares) at any size.
#pragma once

#include <cstdint>
#include <vector>

// Scales `src` (`sw` x `sh` pixels of 3 bytes, rows `src_pitch` bytes
// apart) to `dw` x `dh` pixels of 3 bytes in `dst`, rows packed.
void scale_nearest(const uint8_t *src, int sw, int sh, int src_pitch, std::vector<uint8_t> &dst, int dw, int dh);
