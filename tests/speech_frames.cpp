#include "speech_frames.h"

#include <cstddef>

speech_frame silent_frame() { return speech_frame{}; }

speech_frame stop_frame()
{
    speech_frame f;
    f.energy = 15;
    return f;
}

speech_frame repeat_frame(int energy, int pitch)
{
    speech_frame f;
    f.energy = energy;
    f.repeat = true;
    f.pitch = pitch;
    return f;
}

speech_frame unvoiced_frame(int energy, std::array<int, 4> k)
{
    speech_frame f;
    f.energy = energy;
    for (int i = 0; i < 4; i++)
        f.k[i] = k[i];
    return f;
}

speech_frame voiced_frame(int energy, int pitch, std::array<int, 10> k)
{
    speech_frame f;
    f.energy = energy;
    f.pitch = pitch;
    f.k = k;
    return f;
}

namespace {
const int k_widths[10] = {5, 5, 4, 4, 4, 4, 4, 3, 3, 3};
}

int frame_bits(const speech_frame &f)
{
    if (f.energy == 0 || f.energy == 15)
        return 4;
    if (f.repeat)
        return 11;
    return f.pitch == 0 ? 29 : 50;
}

speech_stream &speech_stream::bits(unsigned value, int count)
{
    for (int i = count - 1; i >= 0; i--)
        bits_.push_back((value >> i) & 1);
    return *this;
}

speech_stream &speech_stream::add(const speech_frame &f)
{
    bits(f.energy, 4);
    if (f.energy == 0 || f.energy == 15)
        return *this;
    bits(f.repeat, 1);
    bits(f.pitch, 6);
    if (f.repeat)
        return *this;
    int stages = f.pitch == 0 ? 4 : 10;
    for (int i = 0; i < stages; i++)
        bits(f.k[i], k_widths[i]);
    return *this;
}

speech_stream &speech_stream::truncate(int count)
{
    if (count < bit_count())
        bits_.resize(count);
    return *this;
}

std::vector<uint8_t> speech_stream::bytes() const
{
    std::vector<uint8_t> out((bits_.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits_.size(); i++)
        if (bits_[i])
            out[i / 8] |= static_cast<uint8_t>(1 << (i % 8));
    return out;
}

speech_frame decode_frame_bits(const uint8_t *frame)
{
    int pos = 0;
    auto take = [&](int count) {
        int v = 0;
        for (int i = 0; i < count; i++, pos++)
            v = (v << 1) | ((frame[pos / 8] >> (7 - pos % 8)) & 1);
        return v;
    };
    speech_frame f;
    f.energy = take(4);
    if (f.energy == 0 || f.energy == 15)
        return f;
    f.repeat = take(1);
    f.pitch = take(6);
    if (f.repeat)
        return f;
    int stages = f.pitch == 0 ? 4 : 10;
    for (int i = 0; i < stages; i++)
        f.k[i] = take(k_widths[i]);
    return f;
}
