// Tape recordings decoded with SDL's WAV loader (no SDL_Init needed).
#include "headless.h"

#include "core/cassette.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

std::string hl_load_cassette(const std::string &path, std::string &warning)
{
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
    warning.clear();
    if (format == K7_OTHER)
        warning = path + ": samples of this format (" + std::to_string(SDL_AUDIO_BITSIZE(spec.format)) +
                  "-bit or floating point) play without reaching the cassette input; use 8 or 16 bits";
    return "";
}
