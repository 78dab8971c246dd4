// The program's sound output: the machine's 200-sample blocks go into a ring
// of ten blocks on the emulation thread, and SDL's audio thread plays them at
// 8000 Hz, unsigned 8-bit, mono, half a block at each call.
//
// The ring is shared by the two threads without a lock. The emulation side
// writes a whole block, then publishes it by setting its play position to 0
// (release); the audio side sees a published block (acquire), plays it and
// advances. Play positions and indices are atomics, so the hand-off is a
// defined happens-before edge rather than a data race.
//
// What the ring plays is the machine's sound shaped for the speakers
// (frontend/sound_filter.h: its resting level taken away, volume, mute);
// the machine's own blocks stay as they are.
#pragma once

#include "frontend/sound_filter.h"

#include <atomic>
#include <cstdint>
#include <string>

constexpr int ACD_BLOCKS = 10;
constexpr int ACD_BLOCK_SIZE = 200;
// Samples the device takes at each call (12.5 ms): half a block, so that a
// sound is handed to the device at most 12.5 ms after its block is due and
// the device's own buffer holds no more than that.
constexpr int ACD_DEVICE_SAMPLES = 100;

struct audio_ring {
    unsigned char *block_ptr[ACD_BLOCKS];      // block_size + 1 bytes each, zeroed at creation
    std::atomic<int> play_pos[ACD_BLOCKS];     // -1 never filled; block_size or more: played
    int block_size;                            // samples in a block
    std::atomic<int> play_index;               // the block the callback plays
    std::atomic<int> write_index;              // the block the machine fills next

    // Measures, read by the status bar and the pacing.
    std::atomic<long> played;      // blocks played to their end
    std::atomic<long> underruns;   // callbacks that found their block not ready, once playing
    std::atomic<long> dropped;     // blocks the machine made while the ring was full
};

// The ring; null when it could not be made.
extern audio_ring *acd;

// Makes the ring (ten zeroed blocks, every play position -1, indices 0).
// Returns null when memory runs out.
audio_ring *acd_create();
// Frees the ring and its blocks.
void acd_free(audio_ring *ring);

// The SDL callback: `userdata` is the ring.
void audiocallback(void *userdata, unsigned char *stream, int len);

// The machine's sound sink (host contract): copies the block into the ring.
void acd_sound_block(const unsigned char *block, int length);

// The shaping of the blocks played: volume and mute (emulation thread).
sound_filter &sound_shaping();
// While the machine is paused or runs faster than real time its blocks are
// not played (sped-up speech is noise, and would fill the ring): `held`.
void sound_set_held(bool held);
bool sound_held();

// The host times (ms since the epoch) at which the device was handed a sound
// that follows a silence (frontend/sound_onset.h), from the audio thread,
// and where in the stream (sound_device_samples): copies those after the
// first `seen` into `times` and `samples` (at most `max`) and returns how
// many there have been in all. The measure of how long a key takes to be
// heard.
long sound_onsets(long seen, int64_t *times, int64_t *samples, int max);
// The samples handed to the device since it opened: the sound stream's
// clock, 8000 a second as the device plays them.
int64_t sound_device_samples();

// Blocks published and not yet played to their end (0 to 10).
int acd_waiting(const audio_ring *ring);
// Samples published and not yet played (0 to 2000).
int acd_waiting_samples(const audio_ring *ring);

// Opens SDL's audio subsystem and device on the ring and starts playing.
// Returns an empty string, or the message to show (SDL's error included).
// `init_failed` says whether SDL itself could not start.
std::string sound_open(bool &init_failed);
// Stops and closes the device and frees the ring; SDL is shut down.
void sound_close();
// Whether the device is open and playing.
bool sound_is_on();
