// Tape recordings decoded with SDL's WAV loader (no SDL_Init needed).
#include "headless.h"

#include "core/cassette.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// The sample width and format tag the file's format chunk declares (SDL
// delivers 24-bit samples widened to 32 bits); 0 when not found.
void wav_declared_format(const std::string &path, int &bits, int &tag)
{
    bits = tag = 0;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return;
    uint8_t b[4096];
    size_t n = std::fread(b, 1, sizeof b, f);
    std::fclose(f);
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) |
               static_cast<uint32_t>(b[at + 3]) << 24;
    };
    for (size_t at = 12; at + 8 <= n;) {
        uint32_t size = u32(at + 4);
        if (std::memcmp(b + at, "fmt ", 4) == 0 && at + 24 <= n) {
            tag = b[at + 8] | b[at + 9] << 8;
            bits = b[at + 22] | b[at + 23] << 8;
            if (tag == 0xFFFE && at + 34 <= n)  // extensible: the sub-format's tag
                tag = b[at + 32] | b[at + 33] << 8;
            return;
        }
        if (size > n)
            return;
        at += 8 + size + (size & 1);
    }
}

} // namespace

std::string hl_load_cassette(const std::string &path, std::string &warning)
{
    warning.clear();
    // A file too large to hold is refused before it is read; one that does
    // not open says why.
    struct stat st;
    int why = stat(path.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (why) {
        orv_K7_load_failed();
        return K7_not_valid_text(path.c_str()) + ": " + std::strerror(why);
    }
    if (st.st_size > HL_MAX_WAV_BYTES) {
        orv_K7_load_failed();
        return path + ": " + std::to_string(st.st_size) + " bytes is more than a tape recording may hold (" +
               std::to_string(HL_MAX_WAV_BYTES) + " bytes, about an hour of 48 kHz stereo 16-bit sound)";
    }

    SDL_AudioSpec spec;
    Uint8 *data = nullptr;
    Uint32 size = 0;
    if (!SDL_LoadWAV(path.c_str(), &spec, &data, &size)) {
        orv_K7_load_failed();
        return K7_not_valid_text(path.c_str());
    }

    k7_sample_format format;
    switch (spec.format) {
    case AUDIO_U8: format = K7_U8; break;
    case AUDIO_S8: format = K7_S8; break;
    case AUDIO_U16LSB: format = K7_U16LSB; break;
    case AUDIO_S16LSB: format = K7_S16LSB; break;
    default: format = K7_OTHER; break;
    }
    k7_audio_spec k7 = {spec.freq, format, static_cast<int>(SDL_AUDIO_BITSIZE(spec.format) / 8),
                        spec.channels};
    const char *error = orv_load_K7(k7, data, size);
    SDL_FreeWAV(data);
    if (error)
        return K7_not_valid_text(path.c_str());
    if (format == K7_OTHER) {
        int bits, tag;
        wav_declared_format(path, bits, tag);
        std::string what = tag == 3 ? "floating-point samples"
                                    : std::to_string(bits ? bits : SDL_AUDIO_BITSIZE(spec.format)) + "-bit samples";
        warning = path + ": " + what + " play without reaching the cassette input; use 8 or 16 bits";
    }
    return "";
}
