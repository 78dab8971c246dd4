// The keyboard poll of the running machine, apart from the host library: it
// decides which machine key code to send, every second frame, from the host
// keys held now and the presses seen since the last poll.
//
// One key at a time, as the machine's single key slot wants: the first key
// of the table that is down is sent and stays "held" until released (its
// release sends 4). Three things go beyond that plain rule:
// - A press is kept until a poll has sent it, however short it was: the
//   program records every press as it happens, and a key pressed and
//   released between two polls counts as down once.
// - Nothing is sent while the machine has not yet taken the code sent
//   before (its I/O processor still holds it), for up to `KEY_POLL_PATIENCE`
//   polls, so that a quick press and its release both reach it.
// - A held Shift, Ctrl or Alt gives way to a key pressed while it is held,
//   so that Shift then A reaches the machine as both codes; the modifier is
//   not sent again while it stays down.
// Keys already down when a run starts (the debugger's B, the Return that
// closed a dialog) are left out until they are released.
#pragma once

#include <atomic>
#include <cstddef>

constexpr int KEY_POLL_SCANCODES = 128;  // scancodes 0 to 127
constexpr unsigned char KEY_POLL_RELEASED = 4;
// Polls (of 40 ms) to wait for the machine to take a code: a firmware that
// never reads its keys does not hold the keyboard up for longer than this.
constexpr int KEY_POLL_PATIENCE = 25;

enum key_poll_kind {
    KEY_PLAIN,
    KEY_MODIFIER,  // gives way to a key pressed while it is held
    KEY_SHIFT,     // a modifier whose every press flips the shift toggle
};

struct key_poll_entry {
    int scancode;
    unsigned char code;
    unsigned char shifted_code;  // sent instead while the shift toggle is on; 0: always `code`
    key_poll_kind kind;
};

struct key_poll_input {
    const volatile char *down;               // nonzero while the key is held, by scancode
    std::atomic<unsigned char> *pressed;     // set on every press, by scancode; the poll clears it
    bool machine_busy;                       // the machine has not yet taken the last code sent
};

class key_poller {
public:
    key_poller(const key_poll_entry *table, size_t size) : table_(table), size_(size) {}

    // One poll: calls `send` with each code to send (at most a release and
    // one key code).
    void poll(const key_poll_input &in, void (*send)(unsigned char code));

    // A run starts: presses recorded so far are forgotten and keys down now
    // are left out until released.
    void run_start(const key_poll_input &in);

    bool shift_toggle() const { return shift_toggle_; }

private:
    bool pressed(const key_poll_input &in, size_t i) const;
    bool down(const key_poll_input &in, size_t i) const;
    void forget_released(const key_poll_input &in);
    int first_down(const key_poll_input &in, size_t skip) const;
    void send_entry(const key_poll_input &in, size_t i, void (*send)(unsigned char));

    const key_poll_entry *table_;
    size_t size_;
    int held_ = -1;                  // entry whose code was sent last, -1: none
    bool shift_toggle_ = false;
    bool ignored_[KEY_POLL_SCANCODES] = {};  // down at run start, or a modifier that gave way
    int waited_ = 0;                 // polls spent waiting for the machine
};
