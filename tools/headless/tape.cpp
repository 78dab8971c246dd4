// Tape recordings, read by the shared layer's WAV reader (frontend/wav_file.h).
#include "headless.h"

#include "frontend/tape_deck.h"

static_assert(HL_MAX_WAV_BYTES == TAPE_MAX_BYTES, "one limit for every program");

std::string hl_load_cassette(const std::string &path, std::string &warning)
{
    warning.clear();
    tape_load_result r = tape_load_file(path, HL_MAX_WAV_BYTES);
    if (!r.loaded) {
        switch (r.failure) {
        case WAV_TOO_LARGE:
            return path + ": " + std::to_string(r.file_bytes) + " bytes is more than a tape recording may hold (" +
                   std::to_string(HL_MAX_WAV_BYTES) + " bytes, about an hour of 48 kHz stereo 16-bit sound)";
        case WAV_OPEN:
            return K7_not_valid_text(path.c_str()) + ": " + r.reason;
        case WAV_READ:
            return K7_not_valid_text(path.c_str());
        }
    }
    if (!r.unplayable.empty())
        warning = path + ": " + r.unplayable + " play without reaching the cassette input; use 8 or 16 bits";
    return "";
}
