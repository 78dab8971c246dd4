// orvane-headless: the machine without a window. It loads the firmware and a
// cartridge, feeds a tape and keys, runs a number of frames and writes the
// picture as PNG and the sound as WAV. Every source of variation is fixed:
// the same inputs give the same files, byte for byte.
#pragma once

#include "core/file_replace.h"
#include "core/tms3556.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One machine key code due at a frame (frames count from 0).
struct hl_key_event {
    long frame;
    uint8_t code;
};

// One line of a --debug script, checked and with its numbers read.
struct hl_debug_command {
    int line;                       // in the script, from 1
    std::string text;               // as written, without comment and outer blanks
    std::string name;               // step, over, go, regs, dasm, periph, log, who,
                                    // clear, frames, key, screenshot; and the
                                    // engine's (engine_commands.cpp)
    std::vector<std::string> args;
    long number = 0;                // count, address, frames or key code
    long frames = 0;                // go, run: the most frames it runs; break: from which hit
    bool label = false;             // go, who: the address is a label, read when the command runs
};

// A command's name and how many words may follow it.
struct hl_command_shape {
    const char *name;
    int min_args, max_args;
};
// The debugger engine's commands (engine_commands.cpp): their shapes, the
// check before the run ("" or the error), and the run (false: the script
// stops with status 1, the error printed on `err` after `where`).
const hl_command_shape *hl_engine_shape(const std::string &name);
std::string hl_check_engine_command(hl_debug_command &c);
bool hl_run_engine_command(const hl_debug_command &c, FILE *out, FILE *err, const std::string &where);
// Labels in a script are read once the machine's symbols are loaded: the
// commands before the first `symbols` are checked again then, before any
// frame runs (`hl_labels_known` true while they are), and the rest when
// they run. A name no symbol holds gives `unknown_label`'s message: the
// number's own when no symbol is loaded at all.
extern bool hl_labels_known;
std::string hl_label_message(const std::string &text, const std::string &why);
// Prints what ended a trace by itself since the last command ("tracelog
// ended: FILE: N lines").
void hl_report_traces(FILE *out);
// Whether a script steps back: the history is then kept from the start.
bool hl_script_steps_back(const std::vector<hl_debug_command> &script);
// Ends the traces still written at the end of a script: what each wrote,
// one line each ("tracelog: N lines", or "tracelog: cannot write ...").
std::string hl_close_traces();

struct hl_options {
    std::string bios = "bios";
    bool bios_named = false;  // --bios given: the directory must hold the firmware
    std::string rom;
    std::string cassette;
    std::string screenshot;
    std::string audio;
    std::string load_state;  // state to start from, after firmware, cartridge and tape
    std::string save_state;  // state written at the end of the run
    long frames = 50;        // frames to run (from --frames, or from --seconds)
    int scale = 1;           // screenshot dots per machine dot, each way
    std::vector<hl_key_event> keys;  // in order of delivery
    bool trace = false;
    long break_addr = -1;    // -1: none
    std::string break_label; // --break named a label: read once the symbols are loaded
    bool help = false;
    bool version = false;
    std::string debug;       // --debug script file, "-" for standard input
    std::vector<hl_debug_command> debug_script;  // read by hl_load_debug_script
};

// The labels of a script's commands before its first `symbols`, read once
// the machine's symbols are loaded: "" or "NAME:LINE: ..." (status 2).
std::string hl_check_script_labels(const hl_options &opt);

// Reads the command line into `opt`. Returns an empty string, or the error to
// report (the run then ends with status 2).
std::string hl_parse_args(int argc, const char *const *argv, hl_options &opt);

// An address typed on the command line or in a script: the whole text is
// hexadecimal, "0x" or "$" allowed before it, at most FFFF. Returns an
// empty string and sets `out`, or the message (above FFFF, the core's,
// core/address_text.h).
std::string hl_parse_address(const std::string &text, long &out);

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
    int stop_signal;                 // SIGINT or SIGTERM that ended the run early, or 0
    std::vector<hl_key_event> keys_sent;  // frame of the poll that sent each code
    bool builtin_firmware;           // no firmware directory: the built-in one ran
};
extern hl_result hl_last;

// Refuses an output that is one of the run's inputs or another output.
// Returns an empty string, or the error (a bad command line).
std::string hl_check_files(const hl_options &opt);

// Runs the machine as the options say. Messages go to `err`, the register
// dump and the trace log to `out`. Returns the exit status: 0 done, 1 a file
// that does not load or cannot be written, 130 or 143 a run ended early by
// SIGINT or SIGTERM (after writing its files).
int hl_run(const hl_options &opt, FILE *out, FILE *err);

// The whole program: options, then the run. 2 for a bad command line.
int hl_main(int argc, const char *const *argv, FILE *out, FILE *err);

// --debug. Reads the script named by opt.debug into opt.debug_script;
// returns an empty string, or the error ("NAME:LINE: ..."; status 2). A
// script holds text: at most HL_MAX_SCRIPT_BYTES, lines of at most
// HL_MAX_SCRIPT_LINE characters, no NUL byte; a UTF-8 byte-order mark
// at its start is skipped. A directory is refused.
std::string hl_load_debug_script(hl_options &opt);
std::string hl_parse_debug_script(const std::string &text, const std::string &name,
                                  std::vector<hl_debug_command> &out);
constexpr size_t HL_MAX_SCRIPT_BYTES = 1 << 22;  // 4 MB, as a state file
constexpr size_t HL_MAX_SCRIPT_LINE = 1000;
// `text` with its control bytes written as \xHH, for echoing script text
// to a terminal that would obey them.
std::string hl_printable(const std::string &text);
// Runs the script on the started machine, printing to `out`. Returns 0, or 1
// when a screenshot could not be written.
int hl_run_debug_script(const hl_options &opt, FILE *out, FILE *err);
// SIGINT or SIGTERM received during the run, or 0: a script stops at once.
extern volatile sig_atomic_t hl_signal;
// Draws the last frame that ended into `tms3556_screen`, leaving the machine
// as it is.
void hl_draw_last_frame();

// The longest run: about 56 hours of machine time.
constexpr long HL_MAX_FRAMES = 10000000;

// An output file under construction (core/file_replace.h).
using hl_out_file = orv_output;
// Each returns an empty string, or "path: reason".
std::string hl_out_open(hl_out_file &o, const std::string &path);
std::string hl_out_commit(hl_out_file &o);  // closes it and puts it in place
void hl_out_discard(hl_out_file &o);        // closes it; the target is untouched
bool hl_out_write(hl_out_file &o, const void *data, size_t size);


// The sound file, written as the blocks come: 8000 Hz unsigned 8-bit mono.
constexpr size_t HL_WAV_HEADER = 44;
constexpr uint64_t HL_WAV_MAX_SAMPLES = 0xFFFFFF00u;  // what the header's sizes can count
struct hl_wav_writer {
    hl_out_file file;
    uint64_t samples = 0;
    bool full = false;  // samples beyond the maximum were dropped
};
std::string hl_wav_begin(hl_wav_writer &w, const std::string &path);
void hl_wav_add(hl_wav_writer &w, const uint8_t *samples, size_t n);
std::string hl_wav_finish(hl_wav_writer &w);  // sizes, padding, rename

// Output files in one go. Each returns an empty string, or the error.
std::string hl_write_png(hl_out_file &o, const tms3556_picture &picture, int scale);  // then commits
std::string hl_write_png(const std::string &path, const tms3556_picture &picture, int scale);
std::string hl_write_wav(const std::string &path, const std::vector<uint8_t> &samples);

// The largest tape recording read: a little over one hour of 48 kHz stereo
// 16-bit sound (the shared layer's limit). Larger files are refused before
// they are read.
constexpr long long HL_MAX_WAV_BYTES = 700000000;

// Decodes a WAV file and starts it on the cassette input. Returns an empty
// string, or the message for a file that does not decode; `warning` gets a
// note when the recording plays but cannot move the input bit.
std::string hl_load_cassette(const std::string &path, std::string &warning);
