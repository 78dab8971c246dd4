// TMS5220 speech synthesizer, fed from outside one byte at a time.
//
// Speech data bytes wait in a 32-byte FIFO and are cut into frames of 4, 11,
// 29 or 50 bits. Each frame drives an excitation source (a chirp for voiced
// frames, a 13-bit noise generator otherwise) through a ten-stage lattice
// filter whose energy, pitch and reflection coefficients are interpolated
// eight times per frame. One frame lasts 200 samples, 25 ms at 8000 Hz.
//
// `speech_do` makes one sample per call (the I/O processor's speech clock
// calls it at 8000 Hz of emulated time). While the synthesizer is not
// speaking the same clock renders the machine's one-bit sound instead: port B
// bit 3 (the beeper, written by the main processor) and port A bit 4 (the
// cassette input), so beeps and the cassette signal come out of the same
// output. Every finished block of 200 samples leaves the core through the
// host contract's `sound_block` hook (host.h).
#pragma once

#include <cstdint>

// Frame types. A frame's size in bits: SILENT and STOP 4, REPEAT 11,
// UNVOICED 29, VOICED 50. NO_FRAME is what `get_frame` gives when the FIFO
// does not hold a whole frame.
enum tms5220_frame_t : int32_t {
    NO_FRAME = 0,
    SILENT = 1,
    STOP = 2,
    REPEAT = 3,
    UNVOICED = 4,
    VOICED = 5,
};

enum {
    TMS5220_FIFO_SIZE = 32,
    TMS5220_BLOCK_SAMPLES = 200,  // one frame, 25 ms at 8000 Hz
    TMS5220_SAMPLE_RATE = 8000,
};

// The input side: the FIFO and the speaking state.
struct tms5220_input {
    // Ring of data bytes, each stored bit-reversed so that the stream reads
    // most significant bit first: the chip takes every byte low bit first.
    uint8_t fifo[TMS5220_FIFO_SIZE];
    int fifo_head;     // index of the oldest byte, 0 to 31
    int fifo_count;    // bytes held, 0 to 32
    int bit_pos;       // bits already taken from the oldest byte, 0 to 7
    int speak_state;   // 0 idle, 1 collecting (not yet speaking), 2 speaking
    int low_reported;  // 1 once FIFO-low was reported, until refilled to 8 bytes
    uint8_t current_frame[8];  // next 64 stream bits as read by get_frame, MSB first
};

// The synthesis side. Energies are table values (0 to 511), pitches periods in
// samples (0 to 160), K values reflection coefficients scaled by 32768.
// "old" and "new" are the previous and latest frame's parameters, "current"
// the interpolated values in use and "target" where the interpolation goes.
struct tms5220_synth {
    uint16_t old_energy;
    uint16_t old_pitch;
    uint16_t new_energy;
    uint16_t new_pitch;
    int new_k[10];
    uint16_t current_energy;
    uint16_t current_pitch;
    int current_k[10];
    uint16_t target_energy;
    uint16_t target_pitch;
    int target_k[10];
    uint16_t previous_energy;  // energy applied to the sample being made
    uint16_t pitch_count;      // position in the pitch period
    int u[11];                 // lattice forward values, u[10] the excitation input
    int x[10];                 // lattice backward values
    int rng;                   // 13-bit noise generator
    int8_t excitation;
    tms5220_frame_t current_frame_t;  // type of the frame being played
};

extern tms5220_input tms5220;
extern tms5220_synth _tms;

// The sample blocks being filled: speech while speaking, the one-bit sound
// otherwise. Each is handed to the sound output when its 200th sample is made.
struct tms5220_blocks {
    int16_t buffer[TMS5220_BLOCK_SAMPLES];      // speech samples, indexed by `tick`
    int16_t buffer1bit[TMS5220_BLOCK_SAMPLES];  // one-bit sound samples
    int tick;                                   // speech sample within the frame, 0 to 199
    int tick1bit;                               // index into buffer1bit
};
extern tms5220_blocks speech_blocks;

// Fields under their own names.
inline uint8_t (&current_frame)[8] = tms5220.current_frame;
inline tms5220_frame_t &current_frame_t = _tms.current_frame_t;
inline int &tick = speech_blocks.tick;

// Put one speech data byte into the FIFO. The eighth byte held starts speech.
void speech_write_data(unsigned char b);
// Reset the synthesis state and empty the FIFO; the synthesizer goes idle.
// The FIFO-low report, `tick` and the sample blocks are left as they are.
void speech_reset();
// Reset the synthesis state only (parameters, filter, noise generator).
void tms5220_reset();
// What `speech_do` says about the sample it made.
enum speech_do_result : int {
    SPEECH_DO_STOP = 0,       // a STOP frame was read: speech has ended
    SPEECH_DO_LOW = 1,        // a frame was taken with 8 or fewer bytes left (once until refilled)
    SPEECH_DO_NOTHING = 2,    // nothing to report
    SPEECH_DO_UNDERFLOW = 3,  // the FIFO ran out of data at a frame boundary
};

// Make one sample.
speech_do_result speech_do();

// Sample n (0 to 199) of the current frame into block[n]; at n = 0 the frame
// in `current_frame` is taken up first.
void tms5220_process_onebyte(int16_t *block, unsigned n, tms5220_frame_t type);
unsigned char reverse(unsigned char b);

// Frame reading, used by speech_do. get_frame reads the next frame's bits into
// `current_frame` without consuming them and gives its type, NO_FRAME when
// too few bits are held; consume_frame then moves the read position past it.
tms5220_frame_t get_frame();
void consume_frame(tms5220_frame_t type);
int tms5220_frame_bits(tms5220_frame_t type);
const char *tms5220_frame_name(tms5220_frame_t type);

// The chip's output stage: the lattice output u[0] to a 16-bit sample (the
// digital-to-analog converter's range is 10 bits), and a 16-bit sample to the
// unsigned 8-bit sample handed to the sound output.
int16_t tms5220_output_sample(int u0);
uint8_t tms5220_to_u8(int16_t sample);


// Puts every global of the synthesizer back to its program-start value.
void tms5220_clear_state();
