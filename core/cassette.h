// Cassette input: a recording of a tape played into port A bit 4.
//
// The machine has no tape motor control and no tape output: once loaded, a
// recording plays from its start to its end in emulated time, one sample per
// sample period on event timer `K7_TIMER`, whatever the firmware does. Each
// sample sets or clears the input bit by its sign; the firmware's own tape
// routines decode the signal as they would from a real recorder.
//
// The programs decode the file (WAV loader of their host library) and hand
// the core the decoded recording: rate, sample format, channels and bytes.
#pragma once

#include "timers.h"

#include <cstdint>
#include <string>
#include <vector>

// Sample formats, as the host libraries deliver decoded recordings.
enum k7_sample_format : int {
    K7_U8,       // unsigned 8-bit, zero level 128
    K7_S8,       // signed 8-bit
    K7_U16LSB,   // unsigned 16-bit little-endian, zero level 0x8000
    K7_S16LSB,   // signed 16-bit little-endian
    K7_OTHER,    // anything else: played for its timing, the bit left alone
};

// The loaded recording's format.
struct k7_audio_spec {
    int freq;                 // samples per second and channel
    k7_sample_format format;
    int sample_bytes;         // bytes of one channel's sample (K7_OTHER only; others imply it)
    int channels;             // samples in one sample frame; only the first is played
};

// The recording being played.
struct k7_state {
    k7_audio_spec spec;   // its format
    uint8_t *buffer;      // decoded samples (in K7_kept); null when none is playing
    uint32_t size;        // bytes in buffer
    int where;            // byte offset of the next sample frame
    veld_time period;     // one sample period, truncated to whole cycles
};
extern k7_state k7_tape;

// The fields under their own names.
inline k7_audio_spec &K7 = k7_tape.spec;
inline uint8_t *&K7_buffer = k7_tape.buffer;
inline uint32_t &K7_size = k7_tape.size;
inline int &K7where = k7_tape.where;
inline veld_time &K7_period = k7_tape.period;

// The recording last loaded, kept after it has played or stopped so that a
// saved state that was playing it can go on with it (a rewind past the end
// of the tape, a state loaded later). A new recording replaces it.
struct k7_recording {
    bool present;
    k7_audio_spec spec;
    std::vector<uint8_t> data;
    uint64_t hash;  // of the format and the bytes: names the recording in a state
};
extern k7_recording K7_kept;

// Makes the kept recording play again from byte `where` with its period;
// arming its timer is left to the caller (a state brings its own). False,
// and nothing changes, when the kept recording is not the one named by
// `hash` or `where` lies beyond its end.
bool K7_resume(uint64_t hash, uint32_t where);

// What the programs show when a file does not decode.
inline constexpr const char *K7_LOAD_ERROR = "Error loading wav";   // returned by the load calls
inline constexpr const char *K7_NOT_VALID = "Not a valid WAV";      // alert text without the file name
// "<path> is not a valid WAV"
std::string K7_not_valid_text(const char *path);

// Takes a copy of a decoded recording and starts playing it from its first
// sample, one period from now; a recording already playing is released first.
// Returns null, or K7_LOAD_ERROR when the description cannot be played (no
// rate, no channel, unknown sample size): nothing is then loaded.
const char *orv_load_K7(const k7_audio_spec &spec, const uint8_t *data, uint32_t size);

// A file did not decode: releases any loaded recording (a timer left armed
// then fires without effect) and returns K7_LOAD_ERROR. Emulation goes on.
const char *orv_K7_load_failed();

// The per-sample timer callback (parameter always 0, not looked at).
void K7_callback(int param);

// Stops the recording playing, if any (it stays in K7_kept).
void K7_release();

// The trace line a program writes after its cassette command ("Load K7").
void K7_log_load();

void cassette_clear_state();
