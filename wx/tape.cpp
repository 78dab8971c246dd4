#include "tape.h"

#include "core/cassette.h"

#include <SDL.h>

std::string tape_load(const std::string &path, std::string &warning)
{
    warning.clear();
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
    k7_audio_spec k7 = {spec.freq, format, static_cast<int>(SDL_AUDIO_BITSIZE(spec.format) / 8), spec.channels};
    const char *error = orv_load_K7(k7, data, size);
    SDL_FreeWAV(data);
    if (error)
        return K7_not_valid_text(path.c_str());
    K7_log_load();
    if (format == K7_OTHER)
        warning = path + ": samples of this format play without reaching the cassette input; use 8 or 16 bits";
    return "";
}

bool tape_position(double &position, double &length)
{
    if (!K7_buffer || K7.freq <= 0)
        return false;
    double frame_bytes = static_cast<double>(K7.sample_bytes) * K7.channels;
    position = K7where / frame_bytes / K7.freq;
    length = K7_size / frame_bytes / K7.freq;
    return true;
}
