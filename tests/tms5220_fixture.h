// Fixture for the speech synthesizer tests: records every block handed to
// the sound output.
#pragma once

#include "speech_frames.h"
#include "test_support.h"

#include "core/tms5220.h"

#include <cstdint>
#include <vector>

class Tms5220Test : public CoreTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void send(const std::vector<uint8_t> &bytes);
    void send(const speech_stream &s) { send(s.bytes()); }
    // Calls speech_do `count` times; returns the result of the first call.
    int run(int count);
    // Plays one frame from a frame boundary: 200 calls, the 199 after the
    // first all returning 2. Returns the first call's result.
    int play_frame();

    static std::vector<std::vector<uint8_t>> blocks;

private:
    static void record(const unsigned char *block, int length);
};
