#include "sound_onset.h"

#include <cstdlib>

int sound_onset::feed(const unsigned char *samples, int n)
{
    int found = -1;
    for (int i = 0; i < n; i++) {
        if (std::abs(samples[i] - 0x80) <= LEVEL) {
            if (quiet_ < QUIET_SAMPLES)
                quiet_++;
            continue;
        }
        if (quiet_ >= QUIET_SAMPLES && found < 0)
            found = i;
        quiet_ = 0;
    }
    return found;
}
