// The runner's files: the picture as PNG, the sound as WAV. Each is written
// under a temporary name in its own directory, made before the run (so that
// a directory that cannot take it is found at once), and renamed into place
// only when complete: a failed write leaves an older file as it was.
#include "headless.h"

#include "tools/png/picture_png.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

std::string hl_out_open(hl_out_file &o, const std::string &path)
{
    hl_out_discard(o);
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return path + ": " + std::strerror(EISDIR);
    size_t slash = path.rfind('/');
    std::string temp = (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + ".orvane-out-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return path + ": " + std::strerror(errno);
    // mkstemp makes the file private; give it the mode of a new file.
    mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0 || !(o.f = fdopen(fd, "wb"))) {
        int e = errno;
        close(fd);
        std::remove(temp.c_str());
        return path + ": " + std::strerror(e);
    }
    o.path = path;
    o.temp = temp;
    return "";
}

std::string hl_out_commit(hl_out_file &o)
{
    if (!o.f)
        return o.path + ": not open";
    int e = o.error ? o.error : std::ferror(o.f) ? EIO : 0;
    if (std::fclose(o.f) != 0 && !e)
        e = errno;
    o.f = nullptr;
    if (!e && std::rename(o.temp.c_str(), o.path.c_str()) != 0)
        e = errno;
    if (e) {
        std::remove(o.temp.c_str());
        return o.path + ": " + std::strerror(e);
    }
    return "";
}

void hl_out_discard(hl_out_file &o)
{
    if (!o.f)
        return;
    std::fclose(o.f);
    o.f = nullptr;
    std::remove(o.temp.c_str());
}

bool hl_out_write(hl_out_file &o, const void *data, size_t size)
{
    if (!o.f || std::ferror(o.f))
        return false;
    if (size && std::fwrite(data, 1, size, o.f) != size) {
        o.error = errno;
        return false;
    }
    return true;
}

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
