#include "wav_file.h"

#include "text_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int WAV_EXTENSIBLE = 0xFFFE;
// The most sample bytes the cassette input plays (a little under 2 GB).
constexpr size_t MAX_SAMPLE_BYTES = 0x7FFF0000;
const char *const TOO_LONG = "the recording is too long to play (more than 2 GB of samples)";

uint16_t le16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
}

void put16(std::vector<uint8_t> &out, int v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

int clamp16(int v)
{
    return v < -32768 ? -32768 : v > 32767 ? 32767 : v;
}

struct wav_format {
    int tag;
    int channels;
    uint32_t rate;
    int block_align;
    int bits;
    const uint8_t *extra;  // the bytes after the 16 of plain PCM (cbSize not counted)
    size_t extra_size;
};

// ------------------------------------------------------------ G.711

int alaw_sample(uint8_t a)
{
    a ^= 0x55;
    int t = (a & 0x0F) << 4;
    int segment = (a & 0x70) >> 4;
    if (segment == 0)
        t += 8;
    else
        t = (t + 0x108) << (segment - 1);
    return (a & 0x80) ? t : -t;
}

int mulaw_sample(uint8_t u)
{
    u = static_cast<uint8_t>(~u);
    int t = (((u & 0x0F) << 3) + 0x84) << ((u & 0x70) >> 4);
    return (u & 0x80) ? 0x84 - t : t - 0x84;
}

// ------------------------------------------------------------ IMA ADPCM

constexpr int ima_steps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int ima_index_step[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct ima_channel {
    int sample;
    int index;
};

int ima_nibble(ima_channel &c, int nibble)
{
    int step = ima_steps[c.index];
    int diff = step >> 3;
    if (nibble & 1)
        diff += step >> 2;
    if (nibble & 2)
        diff += step >> 1;
    if (nibble & 4)
        diff += step;
    c.sample = clamp16(nibble & 8 ? c.sample - diff : c.sample + diff);
    c.index += ima_index_step[nibble];
    c.index = c.index < 0 ? 0 : c.index > 88 ? 88 : c.index;
    return c.sample;
}

// A block: per channel a header of 4 bytes (first sample, step index, a
// spare byte), then per channel in turn 4 bytes of 8 samples, low nibble
// first. A last block cut short is left out, as SDL's loader leaves it.
std::string ima_decode(const wav_format &f, const uint8_t *data, size_t size, std::vector<uint8_t> &out)
{
    const int ch = f.channels;
    const size_t header = 4u * static_cast<size_t>(ch);
    if (f.bits != 4)
        return std::to_string(f.bits) + "-bit IMA ADPCM is not read";
    if (static_cast<size_t>(f.block_align) < header || (f.block_align - header) % header != 0)
        return "the IMA ADPCM block size does not fit the channels";
    const size_t frames_per_block = 1 + (static_cast<size_t>(f.block_align) - header) * 2 / static_cast<size_t>(ch);
    size_t per_block = frames_per_block;
    if (f.extra_size >= 2 && le16(f.extra) >= 1 && le16(f.extra) < frames_per_block)
        per_block = le16(f.extra);
    if (size / static_cast<size_t>(f.block_align) * per_block * 2 * static_cast<size_t>(ch) > MAX_SAMPLE_BYTES)
        return TOO_LONG;
    std::vector<ima_channel> state(static_cast<size_t>(ch));
    std::vector<int> frame(static_cast<size_t>(ch) * 8);
    for (size_t at = 0; at + static_cast<size_t>(f.block_align) <= size; at += static_cast<size_t>(f.block_align)) {
        const size_t block = static_cast<size_t>(f.block_align);
        const uint8_t *b = data + at;
        for (int c = 0; c < ch; c++) {
            state[c].sample = static_cast<int16_t>(le16(b + 4 * c));
            state[c].index = b[4 * c + 2] > 88 ? 88 : b[4 * c + 2];
            put16(out, state[c].sample);
        }
        size_t made = 1;
        // Groups of 8 frames: 4 bytes per channel.
        for (size_t g = header; g + header <= block && made < per_block; g += header) {
            for (int c = 0; c < ch; c++)
                for (int i = 0; i < 4; i++) {
                    uint8_t byte = b[g + 4 * static_cast<size_t>(c) + static_cast<size_t>(i)];
                    frame[static_cast<size_t>(c) * 8 + 2 * static_cast<size_t>(i)] = ima_nibble(state[c], byte & 0x0F);
                    frame[static_cast<size_t>(c) * 8 + 2 * static_cast<size_t>(i) + 1] = ima_nibble(state[c], byte >> 4);
                }
            for (int i = 0; i < 8 && made < per_block; i++, made++)
                for (int c = 0; c < ch; c++)
                    put16(out, frame[static_cast<size_t>(c) * 8 + static_cast<size_t>(i)]);
        }
    }
    return "";
}

// ------------------------------------------------------------ MS ADPCM

constexpr int ms_adaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};

struct ms_channel {
    int coef1, coef2;
    int delta;
    int sample1, sample2;  // the last sample and the one before
};

int ms_nibble(ms_channel &c, int nibble)
{
    // A file's own coefficients may take the sum past 32 bits.
    int64_t sum = static_cast<int64_t>(c.sample1) * c.coef1 + static_cast<int64_t>(c.sample2) * c.coef2;
    int predicted = static_cast<int>(sum / 256);
    int error = nibble >= 8 ? nibble - 16 : nibble;
    int sample = clamp16(predicted + c.delta * error);
    // The step never falls below 16 nor grows past 16 bits (a damaged file
    // would otherwise grow it without end).
    c.delta = c.delta * ms_adaptation[nibble] / 256;
    if (c.delta < 16)
        c.delta = 16;
    else if (c.delta > 65535)
        c.delta = 65535;
    c.sample2 = c.sample1;
    c.sample1 = sample;
    return sample;
}

// A block: per channel the predictor number, then per channel the step
// (delta), the last sample and the one before; the two samples come out
// oldest first. Then a nibble per sample, high nibble first, the channels
// in turn. A last block cut short is left out, as SDL's loader leaves it.
std::string ms_decode(const wav_format &f, const uint8_t *data, size_t size, std::vector<uint8_t> &out)
{
    const int ch = f.channels;
    const size_t header = 7u * static_cast<size_t>(ch);
    if (f.bits != 4)
        return std::to_string(f.bits) + "-bit Microsoft ADPCM is not read";
    if (f.extra_size < 4)
        return "the Microsoft ADPCM format chunk is too short";
    // The seven standard predictors at least, as the format requires.
    size_t coefs = le16(f.extra + 2);
    if (coefs < 7 || f.extra_size < 4 + 4 * coefs)
        return "the Microsoft ADPCM coefficients are missing";
    if (static_cast<size_t>(f.block_align) < header)
        return "the Microsoft ADPCM block size does not fit the channels";
    const size_t frames_per_block = 2 + (static_cast<size_t>(f.block_align) - header) * 2 / static_cast<size_t>(ch);
    size_t per_block = frames_per_block;
    if (le16(f.extra) >= 2 && le16(f.extra) < frames_per_block)
        per_block = le16(f.extra);
    if (size / static_cast<size_t>(f.block_align) * per_block * 2 * static_cast<size_t>(ch) > MAX_SAMPLE_BYTES)
        return TOO_LONG;
    std::vector<ms_channel> state(static_cast<size_t>(ch));
    for (size_t at = 0; at + static_cast<size_t>(f.block_align) <= size; at += static_cast<size_t>(f.block_align)) {
        const size_t block = static_cast<size_t>(f.block_align);
        const uint8_t *b = data + at;
        for (int c = 0; c < ch; c++) {
            size_t predictor = b[c];
            if (predictor >= coefs)
                return "a Microsoft ADPCM block names a predictor the file does not have";
            state[c].coef1 = static_cast<int16_t>(le16(f.extra + 4 + 4 * predictor));
            state[c].coef2 = static_cast<int16_t>(le16(f.extra + 6 + 4 * predictor));
            state[c].delta = le16(b + ch + 2 * c);
            state[c].sample1 = static_cast<int16_t>(le16(b + 3 * ch + 2 * c));
            state[c].sample2 = static_cast<int16_t>(le16(b + 5 * ch + 2 * c));
        }
        for (int c = 0; c < ch; c++)
            put16(out, state[c].sample2);
        for (int c = 0; c < ch; c++)
            put16(out, state[c].sample1);
        size_t nibbles = (block - header) * 2;
        size_t whole = nibbles / static_cast<size_t>(ch);
        if (whole > per_block - 2)
            whole = per_block - 2;
        for (size_t n = 0; n < whole * static_cast<size_t>(ch); n++) {
            uint8_t byte = b[header + n / 2];
            int nibble = n % 2 ? byte & 0x0F : byte >> 4;
            put16(out, ms_nibble(state[n % static_cast<size_t>(ch)], nibble));
        }
    }
    return "";
}

// ------------------------------------------------------------ the file

std::string read_format(const uint8_t *body, size_t size, wav_format &f)
{
    if (size < 16)
        return "the format chunk is too short";
    f.tag = le16(body);
    f.channels = le16(body + 2);
    f.rate = le32(body + 4);
    f.block_align = le16(body + 12);
    f.bits = le16(body + 14);
    f.extra = nullptr;
    f.extra_size = 0;
    if (size >= 18) {
        size_t declared = le16(body + 16);
        f.extra = body + 18;
        f.extra_size = declared < size - 18 ? declared : size - 18;
    }
    if (f.tag == WAV_EXTENSIBLE) {
        if (f.extra_size < 22)
            return "the extensible format chunk is too short";
        f.tag = le16(f.extra + 6);  // the sub-format's first two bytes
    }
    if (f.channels < 1 || f.channels > 255)
        return std::to_string(f.channels) + " channels";
    if (f.rate == 0 || f.rate > static_cast<uint32_t>(INT_MAX))
        return "a sample rate of " + std::to_string(f.rate);
    return "";
}

// The decoder. `owner`, when given, holds `file`'s bytes and may give
// them up: samples kept as stored then move into the recording rather than
// being copied (a long tape is hundreds of megabytes).
std::string decode(const uint8_t *file, size_t size, wav_recording &out, std::vector<uint8_t> *owner)
{
    out = wav_recording{};
    if (!file || size < 12 || std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0)
        return "not a WAV file";
    // The RIFF length may claim more than the file holds: it is not needed.
    const uint8_t *format_body = nullptr, *data = nullptr;
    size_t format_size = 0, data_size = 0;
    for (size_t at = 12; at + 8 <= size;) {
        size_t length = le32(file + at + 4);
        size_t room = size - at - 8;
        if (length > room)
            length = room;
        if (!format_body && std::memcmp(file + at, "fmt ", 4) == 0) {
            format_body = file + at + 8;
            format_size = length;
        } else if (!data && std::memcmp(file + at, "data", 4) == 0) {
            data = file + at + 8;
            data_size = length;
        }
        at += 8 + length + (length & 1);
    }
    if (!format_body)
        return "no format chunk";
    if (!data)
        return "no data chunk";
    wav_format f;
    std::string why = read_format(format_body, format_size, f);
    if (!why.empty())
        return why;
    out.format_tag = f.tag;
    out.bits = f.bits;
    out.spec.freq = static_cast<int>(f.rate);
    out.spec.channels = f.channels;
    const size_t ch = static_cast<size_t>(f.channels);

    switch (f.tag) {
    case WAV_PCM:
    case WAV_FLOAT: {
        bool pcm = f.tag == WAV_PCM;
        if (pcm ? f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32 : f.bits != 32)
            return std::to_string(f.bits) + (pcm ? "-bit PCM is not read" : "-bit floating point is not read");
        size_t in_bytes = static_cast<size_t>(f.bits) / 8;
        size_t frame = in_bytes * ch;
        size_t frames = data_size / frame;
        if (frames * ch * (f.bits == 24 ? 4 : in_bytes) > MAX_SAMPLE_BYTES)
            return TOO_LONG;
        if (f.bits == 24) {
            // Each sample in the top three bytes of four.
            out.data.resize(frames * ch * 4);
            for (size_t i = 0; i < frames * ch; i++) {
                out.data[4 * i] = 0;
                std::memcpy(&out.data[4 * i + 1], data + 3 * i, 3);
            }
        } else if (owner) {
            std::memmove(owner->data(), data, frames * frame);
            owner->resize(frames * frame);
            out.data.swap(*owner);
        } else {
            out.data.assign(data, data + frames * frame);
        }
        if (f.bits == 8)
            out.spec.format = K7_U8;
        else if (f.bits == 16)
            out.spec.format = K7_S16LSB;
        else
            out.spec.format = K7_OTHER;
        out.spec.sample_bytes = f.bits == 8 ? 1 : f.bits == 16 ? 2 : 4;
        break;
    }
    case WAV_ALAW:
    case WAV_MULAW: {
        if (f.bits != 8)
            return std::to_string(f.bits) + "-bit " + (f.tag == WAV_ALAW ? "A-law" : "mu-law") + " is not read";
        size_t frames = data_size / ch;
        if (frames * ch * 2 > MAX_SAMPLE_BYTES)
            return TOO_LONG;
        out.data.reserve(frames * ch * 2);
        for (size_t i = 0; i < frames * ch; i++)
            put16(out.data, f.tag == WAV_ALAW ? alaw_sample(data[i]) : mulaw_sample(data[i]));
        out.spec.format = K7_S16LSB;
        out.spec.sample_bytes = 2;
        break;
    }
    case WAV_IMA_ADPCM:
    case WAV_MS_ADPCM: {
        why = f.tag == WAV_IMA_ADPCM ? ima_decode(f, data, data_size, out.data) : ms_decode(f, data, data_size, out.data);
        if (!why.empty()) {
            out.data.clear();
            return why;
        }
        out.spec.format = K7_S16LSB;
        out.spec.sample_bytes = 2;
        break;
    }
    default: {
        char tag[16];
        std::snprintf(tag, sizeof tag, "0x%04X", static_cast<unsigned>(f.tag));
        return std::string("samples of format ") + tag + " are not read";
    }
    }
    return "";
}

} // namespace

std::string wav_decode(const uint8_t *file, size_t size, wav_recording &out)
{
    return decode(file, size, out, nullptr);
}

std::string wav_read_file(const std::string &path, uint64_t max_bytes, wav_recording &out, wav_failure &failure,
                          uint64_t &file_bytes)
{
    out = wav_recording{};
    file_bytes = 0;
    failure = WAV_OPEN;
    regular_file f = open_regular_file(path, max_bytes);
    if (f.too_large) {
        failure = WAV_TOO_LARGE;
        file_bytes = f.size;
    }
    if (!f.why.empty())
        return f.why;
    int fd = f.fd;
    std::string why;
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(f.size));
    } catch (const std::bad_alloc &) {
        close(fd);
        return std::strerror(ENOMEM);
    }
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::strerror(errno);
            break;
        }
        if (n == 0)
            break;  // the file shrank meanwhile: what it holds now
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    close(fd);
    if (!why.empty())
        return why;
    failure = WAV_READ;
    try {
        return decode(bytes.data(), bytes.size(), out, &bytes);
    } catch (const std::bad_alloc &) {
        out = wav_recording{};
        failure = WAV_OPEN;
        return std::strerror(ENOMEM);
    }
}

std::string wav_unplayable_samples(const wav_recording &r)
{
    if (r.format_tag == WAV_FLOAT)
        return "floating-point samples";
    return std::to_string(r.bits) + "-bit samples";
}
