// Speech data for tests, built bit by bit from frame fields, so that a test
// says which frames it sends.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One frame by its field indices. Which fields are sent follows the frame's
// kind: energy 0 (silent) or 15 (stop) alone; with the repeat flag, energy,
// flag and pitch; pitch 0 (unvoiced) adds K1 to K4; any other pitch (voiced)
// adds K1 to K10.
struct speech_frame {
    int energy = 0;
    bool repeat = false;
    int pitch = 0;
    std::array<int, 10> k{};

    bool operator==(const speech_frame &) const = default;
};

speech_frame silent_frame();
speech_frame stop_frame();
speech_frame repeat_frame(int energy, int pitch);
speech_frame unvoiced_frame(int energy, std::array<int, 4> k);
speech_frame voiced_frame(int energy, int pitch, std::array<int, 10> k);

// Size of the frame in bits: 4, 11, 29 or 50.
int frame_bits(const speech_frame &f);

// A stream of bits in the order the synthesizer reads them.
class speech_stream {
public:
    speech_stream &add(const speech_frame &f);
    speech_stream &bits(unsigned value, int count);  // raw bits, most significant first
    speech_stream &truncate(int count);              // keep only the first `count` bits
    int bit_count() const { return static_cast<int>(bits_.size()); }
    // The data bytes as written to the synthesizer, which takes each byte low
    // bit first; a last partial byte is padded with zero bits.
    std::vector<uint8_t> bytes() const;

private:
    std::vector<bool> bits_;
};

// Reads a frame's fields back from the 64 bits of `current_frame`.
speech_frame decode_frame_bits(const uint8_t *frame);
