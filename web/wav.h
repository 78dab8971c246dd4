// Tape recordings in the browser: a WAV file's bytes decoded without a host
// library and played into the cassette input, with the messages the desktop
// programs give.
#pragma once

#include "core/cassette.h"

#include <cstddef>
#include <cstdint>
#include <string>

// A WAV file's samples as the cassette input takes them.
struct web_wav {
    k7_audio_spec spec;
    const uint8_t *data;  // into the file's bytes
    uint32_t size;        // bytes of sample data the file really holds
    int format_tag;       // 1 PCM, 3 floating point (the extensible form's sub-format)
    int bits;             // bits per sample as declared
};

// Reads the RIFF header, the format chunk and the data chunk. A chunk that
// claims more bytes than the file holds is cut to what it holds, as a
// recorder that was not stopped properly leaves it. False when the bytes
// are not a WAV recording this program can play.
bool web_wav_decode(const uint8_t *file, size_t size, web_wav &out);

// Decodes the file and starts it on the cassette input. Returns an empty
// string, or the message for a file that does not decode ("NAME is not a
// valid WAV"); `warning` gets a note when the recording plays but its
// samples cannot move the input bit.
std::string web_tape_load(const uint8_t *file, size_t size, const std::string &name, std::string &warning);
