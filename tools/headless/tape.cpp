// Tape recordings decoded with SDL's WAV loader (no SDL_Init needed).
#include "headless.h"

#include "core/cassette.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <utility>
#include <vector>

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

// SDL's WAV loader allocates what a chunk header claims before reading it:
// a file of a few bytes claiming a 4 GB data chunk would take 4 GB (and
// streaming recorders leave such sizes in files they did not finish). The
// file reaches SDL through this reader, which shows every chunk length cut
// to the bytes the file really holds, and the RIFF length likewise.
struct wav_reader {
    FILE *f;
    Sint64 size;
    std::vector<std::pair<Sint64, Uint32>> patches;  // offset of a 32-bit length, its value
};

Sint64 SDLCALL wav_size(SDL_RWops *rw) { return static_cast<wav_reader *>(rw->hidden.unknown.data1)->size; }

Sint64 SDLCALL wav_seek(SDL_RWops *rw, Sint64 offset, int whence)
{
    FILE *f = static_cast<wav_reader *>(rw->hidden.unknown.data1)->f;
    int how = whence == RW_SEEK_SET ? SEEK_SET : whence == RW_SEEK_CUR ? SEEK_CUR : SEEK_END;
    if (fseeko(f, static_cast<off_t>(offset), how) != 0)
        return SDL_SetError("seek failed");
    return ftello(f);
}

size_t SDLCALL wav_read(SDL_RWops *rw, void *ptr, size_t size, size_t count)
{
    wav_reader *r = static_cast<wav_reader *>(rw->hidden.unknown.data1);
    Sint64 at = ftello(r->f);
    if (size == 0 || count == 0)
        return 0;
    size_t n = std::fread(ptr, size, count, r->f);
    Sint64 got = static_cast<Sint64>(n * size);
    for (const auto &[where, value] : r->patches)
        for (int i = 0; i < 4; i++)
            if (where + i >= at && where + i < at + got)
                static_cast<uint8_t *>(ptr)[where + i - at] = static_cast<uint8_t>(value >> (8 * i));
    return n;
}

size_t SDLCALL wav_write(SDL_RWops *, const void *, size_t, size_t) { return 0; }

int SDLCALL wav_close(SDL_RWops *rw)
{
    wav_reader *r = static_cast<wav_reader *>(rw->hidden.unknown.data1);
    std::fclose(r->f);
    delete r;
    SDL_FreeRW(rw);
    return 0;
}

uint32_t read_u32(FILE *f, Sint64 at, bool &ok)
{
    uint8_t b[4];
    ok = fseeko(f, static_cast<off_t>(at), SEEK_SET) == 0 && std::fread(b, 1, 4, f) == 4;
    return static_cast<uint32_t>(b[0] | b[1] << 8 | b[2] << 16) | static_cast<uint32_t>(b[3]) << 24;
}

// Opens `path` for SDL with the chunk lengths cut to the file; null when the
// file does not open.
SDL_RWops *open_wav(const std::string &path, Sint64 size)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return nullptr;
    auto *r = new wav_reader{f, size, {}};
    bool ok;
    uint32_t riff = read_u32(f, 4, ok);
    if (ok && riff > size - 8)
        r->patches.push_back({4, static_cast<uint32_t>(size - 8)});
    for (Sint64 at = 12; at + 8 <= size;) {
        uint32_t length = read_u32(f, at + 4, ok);
        if (!ok)
            break;
        if (length > size - at - 8) {
            length = static_cast<uint32_t>(size - at - 8);
            r->patches.push_back({at + 4, length});
        }
        at += 8 + length + (length & 1);
    }
    std::rewind(f);
    SDL_RWops *rw = SDL_AllocRW();
    if (!rw) {
        std::fclose(f);
        delete r;
        return nullptr;
    }
    rw->size = wav_size;
    rw->seek = wav_seek;
    rw->read = wav_read;
    rw->write = wav_write;
    rw->close = wav_close;
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = r;
    return rw;
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
    SDL_RWops *rw = open_wav(path, static_cast<Sint64>(st.st_size));
    if (!rw) {
        int e = errno;
        orv_K7_load_failed();
        return K7_not_valid_text(path.c_str()) + ": " + std::strerror(e);
    }
    if (!SDL_LoadWAV_RW(rw, 1, &spec, &data, &size)) {
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
