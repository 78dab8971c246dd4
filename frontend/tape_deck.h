// The tape deck: a WAV recording in the cassette input, with the controls
// of a real recorder. The machine has no motor line: once loaded, a tape
// plays in emulated time whatever the firmware does, until the user stops
// it or it reaches its end (core/cassette.h).
//
// - load: the file is read (wav_file.h), handed to the core and starts
//   playing from its beginning. A file that does not load takes out the
//   tape that was in (as each program did before); so does eject.
// - stop: the tape stops where it is; its position is kept, so that the
//   next file of a multi-file tape plays on from there.
// - play: it plays on from its position (from the beginning once at the end).
// - rewind: back to the beginning; seek: to a time. Neither changes
//   whether it plays.
// - position and length in seconds.
//
// The deck keeps no copy of what the core holds: it reads the core's
// cassette state, so that a saved state loaded (which may stop the tape or
// start it elsewhere) or a power cycle (which takes it out) shows in it.
//
// `reading` says whether the machine is reading the tape, for fast loading
// (pacing.h). With no motor line and no record of the firmware's reads of
// the cassette bit, a tape that plays counts as read.
#pragma once

#include "wav_file.h"

#include <cstdint>
#include <string>

// The largest recording read: a little over one hour of 48 kHz stereo
// 16-bit sound. A larger file is refused before it is read.
constexpr uint64_t TAPE_MAX_BYTES = 700000000;

// How a load went, for the program's own messages.
struct tape_load_result {
    bool loaded = false;
    wav_failure failure = WAV_READ;  // when not loaded
    std::string reason;              // when not loaded: why (wav_file.h)
    uint64_t file_bytes = 0;         // WAV_TOO_LARGE: the file's size
    // Loaded, but its samples cannot move the cassette bit (K7_OTHER): what
    // they are ("24-bit samples", "floating-point samples"), else "".
    std::string unplayable;
};

// Reads `path` and starts it on the cassette input; on failure any tape
// playing is taken out.
tape_load_result tape_load_file(const std::string &path, uint64_t max_bytes = TAPE_MAX_BYTES);

enum class tape_state {
    empty,    // no tape loaded
    playing,
    stopped,  // by the user, or by a state loaded
    ended,    // played to its end
};

class tape_deck {
public:
    tape_load_result load(const std::string &path, uint64_t max_bytes = TAPE_MAX_BYTES);

    tape_state state() const;
    bool loaded() const { return state() != tape_state::empty; }
    // The file last loaded ("" before any).
    const std::string &path() const { return path_; }

    void play();
    void stop();
    // Takes the tape out (its position is forgotten).
    void eject();
    void rewind() { seek(0); }
    void seek(double seconds);

    double position() const;  // seconds from the beginning
    double length() const;    // seconds

    bool reading() const { return state() == tape_state::playing; }

private:
    uint32_t position_bytes() const;
    uint32_t frame_bytes() const;

    std::string path_;
    uint64_t hash_ = 0;        // the recording the deck holds, as the core names it
    bool held_ = false;        // the user stopped it (or moved it while stopped)
    uint32_t held_at_ = 0;     // where, in bytes
};
