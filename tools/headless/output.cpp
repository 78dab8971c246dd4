// The runner's files: the picture as PNG, the sound as WAV. Each is begun
// before the run (so that a name that cannot take it is found at once) and
// put in place only when complete, by the rule every output follows
// (core/file_replace.h): a regular file is replaced whole, a device or FIFO
// written into, anything else refused.
#include "headless.h"

#include "tools/png/picture_png.h"

#include <cerrno>
#include <cstring>

std::string hl_out_open(hl_out_file &o, const std::string &path)
{
    std::string why = orv_output_begin(o, path);
    return why.empty() ? "" : path + ": " + why;
}

std::string hl_out_commit(hl_out_file &o)
{
    std::string why = orv_output_commit(o);
    return why.empty() ? "" : o.path + ": " + why;
}

void hl_out_discard(hl_out_file &o) { orv_output_discard(o); }

bool hl_out_write(hl_out_file &o, const void *data, size_t size) { return orv_output_write(o, data, size); }

std::string hl_write_png(hl_out_file &o, const tms3556_picture &picture, int scale)
{
    if (scale < 1)
        return "bad scale";
    // Encoded in memory first: the file gets whole bytes only.
    std::vector<uint8_t> png;
    std::string why = orv_png_encode(picture, scale, png);
    if (!why.empty()) {
        hl_out_discard(o);
        return o.path + ": " + why;
    }
    hl_out_write(o, png.data(), png.size());
    return hl_out_commit(o);
}

std::string hl_write_png(const std::string &path, const tms3556_picture &picture, int scale)
{
    hl_out_file o;
    std::string e = hl_out_open(o, path);
    return e.empty() ? hl_write_png(o, picture, scale) : e;
}

namespace {

void put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void put16(uint8_t *p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void wav_header(uint8_t *h, uint32_t n)
{
    constexpr uint32_t rate = 8000;
    uint32_t pad = n & 1;  // RIFF chunks have even lengths
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + n + pad);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);    // format chunk size
    put16(h + 20, 1);     // PCM
    put16(h + 22, 1);     // mono
    put32(h + 24, rate);
    put32(h + 28, rate);  // bytes a second
    put16(h + 32, 1);     // bytes a sample frame
    put16(h + 34, 8);     // bits a sample (unsigned at 8 bits)
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, n);
}

} // namespace

std::string hl_wav_begin(hl_wav_writer &w, const std::string &path)
{
    w = hl_wav_writer();
    std::string e = hl_out_open(w.file, path);
    if (!e.empty())
        return e;
    uint8_t h[HL_WAV_HEADER];
    wav_header(h, 0);  // the sizes are filled in at the end
    hl_out_write(w.file, h, sizeof h);
    return "";
}

void hl_wav_add(hl_wav_writer &w, const uint8_t *samples, size_t n)
{
    if (w.samples + n > HL_WAV_MAX_SAMPLES) {
        w.full = true;
        n = HL_WAV_MAX_SAMPLES - w.samples;
    }
    if (hl_out_write(w.file, samples, n))
        w.samples += n;
}

std::string hl_wav_finish(hl_wav_writer &w)
{
    if (!w.file.f)
        return w.file.path + ": not open";
    uint32_t n = static_cast<uint32_t>(w.samples);
    uint8_t h[HL_WAV_HEADER];
    wav_header(h, n);
    if (n & 1) {
        uint8_t pad = 0x80;
        hl_out_write(w.file, &pad, 1);
    }
    if (std::fflush(w.file.f) != 0 && !w.file.error)
        w.file.error = errno;
    if (std::fseek(w.file.f, 0, SEEK_SET) != 0 && !w.file.error)
        w.file.error = errno;
    hl_out_write(w.file, h, sizeof h);
    return hl_out_commit(w.file);
}

std::string hl_write_wav(const std::string &path, const std::vector<uint8_t> &samples)
{
    hl_wav_writer w;
    std::string e = hl_wav_begin(w, path);
    if (!e.empty())
        return e;
    hl_wav_add(w, samples.data(), samples.size());
    if (w.full) {
        hl_out_discard(w.file);
        return path + ": too much sound for one WAV file";
    }
    return hl_wav_finish(w);
}
