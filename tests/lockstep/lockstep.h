// The lockstep oracle: one machine run twice, on the fast path (slices,
// inline accesses, the quiet steps of the I/O processor's idle cycle) and on
// the reference path (core/exec_mode.h: one instruction at a time, every
// access through the full bus), and compared after every call of the frame loop: each state
// section, the picture, the sound blocks and the trace log.
//
// The programs are random but well formed (generator.cpp), or firmware of
// our own. The test command runs a few hundred; the fuzz target `lockstep`
// runs them for as long as it is asked to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The choices of a generated case: from a seeded generator, or from a
// fuzzer's bytes (and, once they run out, from a generator seeded by them).
class lockstep_random {
public:
    explicit lockstep_random(uint64_t seed);
    lockstep_random(const uint8_t *data, size_t size);
    uint32_t next();
    int below(int n);           // 0 to n - 1
    int range(int lo, int hi);  // lo to hi
    bool chance(int percent);

private:
    const uint8_t *data_ = nullptr;
    size_t left_ = 0;
    uint64_t state_;
};

// Something done to the machine before a call of the frame loop, the same
// on both paths: what a user or a program does between frames.
struct lockstep_action {
    enum kind_t {
        KEY,          // send_key(value)
        INT3,         // INT3's line to value (nothing else drives it)
        EXT_CLOCK,    // value pulses on timer 1's external clock input
        STEPS,        // value debugger steps (orv_step)
        WATCH_WRITE,  // video RAM write watch at value (-1: none)
        RESET,        // warm reset
        SAVE_LOAD,    // the machine saved and loaded back
        POKE,         // a bus write: address value >> 8, byte value & 0xFF
        BREAK,        // a breakpoint at value; -1: every breakpoint and watchpoint removed
        WATCH,        // a watchpoint on address value & 0xFFFF: reads (value >> 16 bit 0), writes (bit 1)
    } kind;
    int value;
};

struct lockstep_call {
    std::vector<lockstep_action> before;
    unsigned short stop_pc = 0xFFFF;
};

struct lockstep_case {
    std::string name;
    std::string source;              // the program's assembly text, for reports
    std::vector<uint8_t> bios7020;   // the processor's internal ROM (2 KB)
    std::vector<uint8_t> rom7041;    // the I/O processor's image (4 KB)
    std::vector<uint8_t> cartridge;  // loaded by RomLoad's rules; empty: none
    std::string debug_lst;           // functions whose lines are asked for
    bool until_stop = false;         // the loop's until-stop style (frame style otherwise)
    int frames_per_stop = 2;         // until-stop style: frames before the stop key is held
    int skip_picture_every = 0;      // >0: every n-th frame's picture is not wanted
    std::vector<uint8_t> tape;       // unsigned 8-bit samples; empty: no tape
    int tape_rate = 11025;
    std::vector<lockstep_call> calls;
};

// A random program and what is done to it.
lockstep_case lockstep_generate(lockstep_random &r);

// Our firmware and test programs, each with keys, a tape or commands where
// it uses them.
std::vector<lockstep_case> lockstep_firmware_cases();

// What a run went through, counted on the fast path: that the generated
// programs reach what they are meant to exercise.
struct lockstep_coverage {
    int interrupts[3] = {};  // INT1-INT3 taken (the generated programs count them in R20-R22)
    int idles = 0;           // IDLE run
    int undefined = 0;       // undefined opcodes run
    int decimal = 0;         // DSB run
    int speaking = 0;        // calls that ended with the synthesizer speaking
    int timer1 = 0;          // calls that ended with timer 1 counting
    int modes[4] = {};       // calls that ended in each display mode (CM3 bits 7-6)
    int io_states = 0;       // calls that ended with the I/O processor past its greeting
    int debug_stops = 0;     // calls a breakpoint or watchpoint stopped
};

// Runs the case on both paths in the current directory (which it fills with
// the firmware files and debug.lst). "" when they agree after every call;
// otherwise where they first differ. `coverage`, when given, adds what the
// fast path's run went through.
std::string lockstep_compare(const lockstep_case &c, lockstep_coverage *coverage = nullptr);
