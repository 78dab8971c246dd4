// Tape recordings: WAV files decoded without a host library, into the
// samples the cassette input plays (core/cassette.h). One reader for every
// program, so that a tape plays the same in each and a saved state names
// the same recording.
//
// What is read: a RIFF "WAVE" file's "fmt " and "data" chunks, in any
// order among other chunks (the first of each counts). A chunk that claims
// more bytes than the file holds is cut to what it holds, as a recorder
// that was not stopped properly leaves it. Sample formats:
//     PCM 8-bit             unsigned 8-bit (K7_U8), as stored
//     PCM 16-bit            signed 16-bit (K7_S16LSB), as stored
//     A-law, mu-law         decoded to signed 16-bit
//     IMA and Microsoft ADPCM (4-bit)   decoded to signed 16-bit
//     PCM 24-bit            widened to 32 bits (the sample in the top three
//                           bytes), PCM 32-bit and 32-bit floating point:
//                           K7_OTHER of 4 bytes, which plays for its timing
//                           but cannot move the cassette bit (a warning)
// with any number of channels from 1 to 255 (the cassette input follows
// the first). The data is cut to whole sample frames. These are the
// formats and the bytes SDL 2's WAV loader gives (the programs used it),
// so that states saved with a tape in play still find it.
#pragma once

#include "core/cassette.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct wav_recording {
    k7_audio_spec spec;
    std::vector<uint8_t> data;  // sample frames as the cassette input takes them
    int format_tag;             // as declared: 1 PCM, 2 MS ADPCM, 3 float, 6 A-law, 7 mu-law,
                                // 0x11 IMA ADPCM (the sub-format of an extensible file)
    int bits;                   // bits per sample as declared
};

// The WAV format tags read.
constexpr int WAV_PCM = 1;
constexpr int WAV_MS_ADPCM = 2;
constexpr int WAV_FLOAT = 3;
constexpr int WAV_ALAW = 6;
constexpr int WAV_MULAW = 7;
constexpr int WAV_IMA_ADPCM = 0x11;

// Decodes a WAV file's bytes. Returns an empty string, or why they are not
// a recording this reader can play ("not a WAV file", "no format chunk",
// "no data chunk", "12-bit PCM is not read", ...).
std::string wav_decode(const uint8_t *file, size_t size, wav_recording &out);

// Why a file could not be read.
enum wav_failure {
    WAV_READ,       // not a WAV file this reader plays (the reason says why)
    WAV_OPEN,       // the file could not be opened or read (the system's reason)
    WAV_TOO_LARGE,  // larger than the most a program takes
};

// Reads and decodes the file at `path`, which must be a regular file of at
// most `max_bytes` (a larger one is refused before it is read). Returns an
// empty string, or the reason, with `failure` saying which kind; for
// WAV_TOO_LARGE `file_bytes` gets the file's size.
std::string wav_read_file(const std::string &path, uint64_t max_bytes, wav_recording &out, wav_failure &failure,
                          uint64_t &file_bytes);

// What the cassette input cannot follow in a recording that plays (K7_OTHER):
// "24-bit samples", "floating-point samples".
std::string wav_unplayable_samples(const wav_recording &r);
