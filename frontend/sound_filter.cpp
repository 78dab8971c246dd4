#include "sound_filter.h"

#include <cmath>

void sound_filter::set_volume(int percent)
{
    volume_ = percent < 0 ? 0 : percent > 100 ? 100 : percent;
}

void sound_filter::process(unsigned char *samples, int n)
{
    const double gain = mute_ ? 0.0 : volume_ / 100.0;
    for (int i = 0; i < n; i++) {
        double in = samples[i];
        if (!primed_) {
            // The first sample is the level the output has always had.
            last_in_ = in;
            last_out_ = 0;
            primed_ = true;
        }
        double out = in - last_in_ + POLE * last_out_;
        last_in_ = in;
        last_out_ = out;
        long v = std::lround(out * gain) + REST;
        samples[i] = static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}
