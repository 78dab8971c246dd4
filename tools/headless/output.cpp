// The runner's sound file (the picture is written by tools/png).
#include "headless.h"

#include <cerrno>
#include <cstring>

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

} // namespace

std::string hl_write_wav(const std::string &path, const std::vector<uint8_t> &samples)
{
    constexpr uint32_t rate = 8000;
    if (samples.size() > 0xFFFFFF00u)
        return path + ": too much sound for one WAV file";
    uint32_t n = static_cast<uint32_t>(samples.size());
    uint32_t pad = n & 1;  // RIFF chunks have even lengths
    uint8_t h[44];
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

    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return path + ": " + std::strerror(errno);
    bool ok = std::fwrite(h, 1, sizeof h, f) == sizeof h &&
              (n == 0 || std::fwrite(samples.data(), 1, n, f) == n) &&
              (!pad || std::fputc(0x80, f) != EOF);
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok)
        return path + ": write error";
    return "";
}
