#include "wav.h"

#include <cstring>

namespace {

uint32_t le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
}

unsigned le16(const uint8_t *p) { return static_cast<unsigned>(p[0] | p[1] << 8); }

constexpr int WAV_PCM = 1;
constexpr int WAV_FLOAT = 3;
constexpr int WAV_EXTENSIBLE = 0xFFFE;

} // namespace

bool web_wav_decode(const uint8_t *file, size_t size, web_wav &out)
{
    out = web_wav{};
    if (!file || size < 12 || std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0)
        return false;
    bool have_format = false;
    for (size_t at = 12; at + 8 <= size;) {
        size_t length = le32(file + at + 4);
        const uint8_t *body = file + at + 8;
        size_t room = size - at - 8;
        if (length > room)
            length = room;
        if (std::memcmp(file + at, "fmt ", 4) == 0 && length >= 16) {
            int tag = static_cast<int>(le16(body));
            if (tag == WAV_EXTENSIBLE && length >= 26)
                tag = static_cast<int>(le16(body + 24));  // the sub-format's first two bytes
            out.format_tag = tag;
            out.spec.channels = static_cast<int>(le16(body + 2));
            out.spec.freq = static_cast<int>(le32(body + 4) > 0x7FFFFFFF ? 0 : le32(body + 4));
            out.bits = static_cast<int>(le16(body + 14));
            have_format = true;
        } else if (std::memcmp(file + at, "data", 4) == 0 && have_format) {
            out.data = body;
            out.size = static_cast<uint32_t>(length > 0xFFFFFFF0u ? 0xFFFFFFF0u : length);
            break;
        }
        at += 8 + length + (length & 1);
    }
    if (!have_format || !out.data || out.spec.freq <= 0 || out.spec.channels <= 0 || out.bits <= 0)
        return false;
    if (out.format_tag != WAV_PCM && out.format_tag != WAV_FLOAT)
        return false;
    int bytes = (out.bits + 7) / 8;
    if (bytes > 8)
        return false;
    if (out.format_tag == WAV_PCM && out.bits == 8)
        out.spec.format = K7_U8;           // 8-bit WAV samples are unsigned
    else if (out.format_tag == WAV_PCM && out.bits == 16)
        out.spec.format = K7_S16LSB;       // wider ones signed, low byte first
    else
        out.spec.format = K7_OTHER;
    out.spec.sample_bytes = bytes;
    return true;
}

std::string web_tape_load(const uint8_t *file, size_t size, const std::string &name, std::string &warning)
{
    warning.clear();
    web_wav wav;
    if (!web_wav_decode(file, size, wav)) {
        orv_K7_load_failed();
        return K7_not_valid_text(name.c_str());
    }
    if (orv_load_K7(wav.spec, wav.data, wav.size)) {
        orv_K7_load_failed();
        return K7_not_valid_text(name.c_str());
    }
    K7_log_load();
    if (wav.spec.format == K7_OTHER) {
        std::string what = wav.format_tag == WAV_FLOAT ? "floating-point samples"
                                                       : std::to_string(wav.bits) + "-bit samples";
        warning = name + ": " + what + " play without reaching the cassette input; use 8 or 16 bits";
    }
    return "";
}
