// Where a sound starts after a silence, in the samples a program plays
// (unsigned 8-bit, resting at 0x80 once shaped by sound_filter.h). A
// program that notes the host time of each onset, and of each key press,
// measures how long a key takes to be heard.
#pragma once

class sound_onset {
public:
    // A silence is this long at least (200 ms at 8000 Hz) ...
    static constexpr int QUIET_SAMPLES = 1600;
    // ... of samples this close to the rest level; a sample further away is sound.
    static constexpr int LEVEL = 8;

    // Looks at the next `n` samples. Returns the index among them of the
    // first sample of a sound that follows a silence, or -1.
    int feed(const unsigned char *samples, int n);

private:
    int quiet_ = 0;
};
