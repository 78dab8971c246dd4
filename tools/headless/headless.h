// orvane-headless: the machine without a window. It loads the firmware and a
// cartridge, feeds a tape and keys, runs a number of frames and writes the
// picture as PNG and the sound as WAV. Every source of variation is fixed:
// the same inputs give the same files, byte for byte.
#pragma once

#include "core/tms3556.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One machine key code due at a frame (frames count from 0).
struct hl_key_event {
    long frame;
    uint8_t code;
};

struct hl_options {
    std::string bios = "bios";
    std::string rom;
    std::string cassette;
    std::string screenshot;
    std::string audio;
    long frames = 50;        // frames to run (from --frames, or from --seconds)
    int scale = 1;           // screenshot dots per machine dot, each way
    std::vector<hl_key_event> keys;  // in order of delivery
    bool trace = false;
    long break_addr = -1;    // -1: none
    bool help = false;
};

// Reads the command line into `opt`. Returns an empty string, or the error to
// report (the run then ends with status 2).
std::string hl_parse_args(int argc, const char *const *argv, hl_options &opt);

// The --help text.
extern const char *const hl_usage;

// Key entry: the codes of plain text, each key pressed then released (0x04).
// Lower-case letters give the capitals, a newline (or the two characters
// "\n") gives Enter (13), "\\" a backslash. Returns false on a character the
// keyboard cannot type.
bool hl_text_keys(const std::string &text, long frame, std::vector<hl_key_event> &out);

// What the last run did, for callers that look inside (the tests).
struct hl_result {
    long frames_run;                 // frame requests made
    bool break_reached;
    std::vector<hl_key_event> keys_sent;  // frame of the poll that sent each code
    std::vector<uint8_t> audio;      // every sound block, in order
};
extern hl_result hl_last;

// Runs the machine as the options say. Messages go to `err`, the register
// dump and the trace log to `out`. Returns the exit status: 0 done, 1 a file
// that does not load or cannot be written.
int hl_run(const hl_options &opt, FILE *out, FILE *err);

// The whole program: options, then the run. 2 for a bad command line.
int hl_main(int argc, const char *const *argv, FILE *out, FILE *err);

// Output files. Each returns an empty string, or the error.
std::string hl_write_wav(const std::string &path, const std::vector<uint8_t> &samples);

// Decodes a WAV file and starts it on the cassette input. Returns an empty
// string, or the message for a file that does not decode; `warning` gets a
// note when the recording plays but cannot move the input bit.
std::string hl_load_cassette(const std::string &path, std::string &warning);
