// The tape reader: every format it reads gives the bytes SDL 2's WAV loader
// gives (the programs' loader before it), and files cut short or claiming
// more than they hold still play what they hold.
#include "test_support.h"

#include "frontend/wav_file.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

std::string le(uint32_t v, int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += static_cast<char>(v >> (8 * i));
    return s;
}

// A WAV file with a plain 16-byte format chunk, or the extensible one.
std::string wav(int tag, int channels, int rate, int bits, const std::string &data, bool extensible = false)
{
    int align = channels * bits / 8;
    std::string fmt = le(extensible ? 0xFFFE : tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * align, 4) +
                      le(align, 2) + le(bits, 2);
    if (extensible)
        fmt += le(22, 2) + le(bits, 2) + le(0, 4) + le(tag, 2) + std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    std::string body = "WAVE" + std::string("fmt ") + le(fmt.size(), 4) + fmt + "data" + le(data.size(), 4) + data;
    if (data.size() & 1)
        body += '\0';
    return "RIFF" + le(body.size(), 4) + body;
}

// Some sound: a sine with a little of everything in it.
std::string samples(int count, int bytes_per_sample)
{
    std::string s;
    for (int i = 0; i < count; i++) {
        double v = std::sin(i * 0.07) * 0.8 + std::sin(i * 1.3) * 0.15;
        long long full = static_cast<long long>(v * 2147483000.0);
        uint32_t word = static_cast<uint32_t>(full);
        if (bytes_per_sample == 1)
            s += static_cast<char>(128 + static_cast<int>(v * 120));
        else
            s += le(word >> (8 * (4 - bytes_per_sample)), bytes_per_sample);
    }
    return s;
}

// SDL's loader as the oracle.
bool sdl_load(const std::string &file, SDL_AudioSpec &spec, bytes &data)
{
    SDL_RWops *rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    Uint8 *buffer = nullptr;
    Uint32 size = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &spec, &buffer, &size))
        return false;
    data.assign(buffer, buffer + size);
    SDL_FreeWAV(buffer);
    return true;
}

k7_sample_format sdl_format(SDL_AudioFormat f)
{
    switch (f) {
    case AUDIO_U8: return K7_U8;
    case AUDIO_S8: return K7_S8;
    case AUDIO_U16LSB: return K7_U16LSB;
    case AUDIO_S16LSB: return K7_S16LSB;
    default: return K7_OTHER;
    }
}

void expect_as_sdl(const std::string &file, const std::string &what)
{
    SDL_AudioSpec spec;
    bytes expected;
    ASSERT_TRUE(sdl_load(file, spec, expected)) << what << ": " << SDL_GetError();
    wav_recording r;
    ASSERT_EQ(wav_decode(reinterpret_cast<const uint8_t *>(file.data()), file.size(), r), "") << what;
    EXPECT_EQ(r.spec.freq, spec.freq) << what;
    EXPECT_EQ(r.spec.channels, spec.channels) << what;
    EXPECT_EQ(r.spec.format, sdl_format(spec.format)) << what;
    EXPECT_EQ(r.spec.sample_bytes, SDL_AUDIO_BITSIZE(spec.format) / 8) << what;
    ASSERT_EQ(r.data.size(), expected.size()) << what;
    size_t first = 0;
    while (first < expected.size() && r.data[first] == expected[first])
        first++;
    EXPECT_EQ(first, expected.size()) << what << ": first difference at byte " << first;
}

TEST(WavReader, PlainFormatsGiveWhatSdlGives)
{
    expect_as_sdl(wav(1, 1, 22050, 8, samples(1001, 1)), "8-bit mono");
    expect_as_sdl(wav(1, 2, 44100, 16, samples(2000, 2)), "16-bit stereo");
    expect_as_sdl(wav(1, 2, 44100, 16, samples(2001, 2)), "16-bit stereo, half a frame at the end");
    expect_as_sdl(wav(1, 1, 48000, 24, samples(999, 3)), "24-bit");
    expect_as_sdl(wav(1, 3, 8000, 32, samples(300, 4)), "32-bit, three channels");
    expect_as_sdl(wav(3, 1, 8000, 32, samples(300, 4)), "floating point");
    expect_as_sdl(wav(1, 1, 11025, 16, samples(500, 2), true), "extensible 16-bit");
    expect_as_sdl(wav(6, 1, 8000, 8, samples(777, 1)), "A-law");
    expect_as_sdl(wav(7, 2, 8000, 8, samples(778, 1)), "mu-law");
}

TEST(WavReader, ADamagedMicrosoftAdpcmBlockKeepsItsStepWithin16Bits)
{
    // One channel, blocks of 7 + 32 bytes; nibble 8 triples the step each
    // time, which would outgrow any integer without a bound; nibble 1 then
    // shows the step in the samples.
    std::string coefs;
    for (int c : {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232})
        coefs += le(static_cast<uint32_t>(c), 2);
    std::string fmt = le(2, 2) + le(1, 2) + le(8000, 4) + le(8000, 4) + le(39, 2) + le(4, 2) + le(4 + coefs.size(), 2) +
                      le(66, 2) + le(7, 2) + coefs;
    std::string block = std::string(1, '\1') + le(60000, 2) + le(0x7000, 2) + le(0x9000, 2) + std::string(16, '\x88') +
                        std::string(16, '\x11');
    std::string body = "WAVEfmt " + le(fmt.size(), 4) + fmt + "data" + le(3 * block.size(), 4) + block + block + block;
    if (body.size() & 1)
        body += '\0';
    expect_as_sdl("RIFF" + le(body.size(), 4) + body, "Microsoft ADPCM with a growing step");
}

// sox writes the compressed formats.
void expect_sox_as_sdl(const std::string &encoding, int channels)
{
    std::string raw = samples(20000 * channels, 2);
    {
        FILE *f = std::fopen("in.raw", "wb");
        ASSERT_TRUE(f);
        std::fwrite(raw.data(), 1, raw.size(), f);
        std::fclose(f);
    }
    std::string command = "sox -t raw -r 22050 -e signed -b 16 -c " + std::to_string(channels) +
                          " in.raw -e " + encoding + " out.wav 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    FILE *f = std::fopen("out.wav", "rb");
    ASSERT_TRUE(f);
    std::string file;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        file.append(buffer, n);
    std::fclose(f);
    expect_as_sdl(file, encoding + ", " + std::to_string(channels) + " channels");
    // The last block cut short, the lengths saying so.
    size_t data = file.find("data");
    ASSERT_NE(data, std::string::npos);
    ASSERT_EQ(file.size() % 2, 0u);
    file.resize(file.size() - 38);
    file.replace(data + 4, 4, le(static_cast<uint32_t>(file.size() - data - 8), 4));
    file.replace(4, 4, le(static_cast<uint32_t>(file.size() - 8), 4));
    expect_as_sdl(file, encoding + ", " + std::to_string(channels) + " channels, cut short");
}

using WavReaderFiles = CoreTest;

TEST_F(WavReaderFiles, CompressedFormatsGiveWhatSdlGives)
{
    if (std::system("command -v sox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed";
    for (int channels : {1, 2}) {
        expect_sox_as_sdl("ima-adpcm", channels);
        expect_sox_as_sdl("ms-adpcm", channels);
    }
}

TEST_F(WavReaderFiles, AFileCutShortPlaysWhatItHoldsAndOthersAreRefusedWithTheirReason)
{
    // A recorder stopped short: the lengths claim far more than there is.
    std::string file = wav(1, 1, 8000, 8, samples(100, 1));
    file.replace(4, 4, le(0xFFFFFFF0u, 4));
    file.replace(40, 4, le(0x7FFFFFF0u, 4));
    wav_recording r;
    ASSERT_EQ(wav_decode(reinterpret_cast<const uint8_t *>(file.data()), file.size(), r), "");
    EXPECT_EQ(r.data.size(), 100u);

    auto why = [](const std::string &f) {
        wav_recording out;
        return wav_decode(reinterpret_cast<const uint8_t *>(f.data()), f.size(), out);
    };
    EXPECT_EQ(why("RIFF this is not a recording"), "not a WAV file");
    EXPECT_EQ(why(wav(1, 1, 8000, 12, "abc")), "12-bit PCM is not read");
    EXPECT_EQ(why(wav(1, 0, 8000, 8, "abc")), "0 channels");
    EXPECT_EQ(why(wav(0x55, 1, 8000, 8, "abc")), "samples of format 0x0055 are not read");
    std::string no_data = wav(1, 1, 8000, 8, "");
    no_data.replace(36, 4, "junk");
    EXPECT_EQ(why(no_data), "no data chunk");

    write_file("big.wav", wav(1, 1, 8000, 8, samples(5000, 1)));
    wav_failure failure;
    uint64_t size;
    EXPECT_EQ(wav_read_file("big.wav", 1000, r, failure, size), "larger than 1000 bytes");
    EXPECT_EQ(failure, WAV_TOO_LARGE);
    EXPECT_EQ(size, 5044u);
    EXPECT_EQ(wav_read_file("big.wav", 1 << 20, r, failure, size), "");
    EXPECT_EQ(r.data.size(), 5000u);
    EXPECT_EQ(wav_read_file("none.wav", 1 << 20, r, failure, size), "No such file or directory");
    EXPECT_EQ(failure, WAV_OPEN);
    EXPECT_EQ(wav_read_file(".", 1 << 20, r, failure, size), "Is a directory");
}

} // namespace
