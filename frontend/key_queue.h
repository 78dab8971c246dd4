// The key queue: every machine key code a program sends goes through it, so
// that none is lost.
//
// The machine has a single latch for a key code (its I/O processor reports
// the latched code on its next idle pass); a second code sent before that
// report would overwrite the first unseen. The queue therefore hands the
// machine one code at a time, from the frame loop's key poll, and only once
// the I/O processor has passed the code before on to the firmware. A
// machine that never reads its keyboard does not hold the queue for ever:
// after `patience` polls the code is given up on and the next one goes.
//
// What goes in:
// - Host key events (`key_down`, `key_up`, `keys_lost`), numbered by the
//   program's own key codes. A key-down takes the codes its translator
//   gives (none for a key the machine lacks) at the moment it is queued, so
//   a translator with a state (a one-shot Shift) sees the keys in the order
//   they were typed. A key-up sends the release code (4) when it is the key
//   whose codes were sent last; other key-ups send nothing. The host's
//   auto-repeat adds a press only while the key's last queued event is not
//   already a press, so a held key repeats as fast as the machine takes it.
// - Codes as they are (`push_code`), for a program that decides its codes
//   itself (orvane's poll), and sequences that carry their own releases
//   (`push_sequence`: a character typed, a pasted one).
//
// Every event, even one that sends nothing, keeps its place until its turn
// (`waiting` counts them); at most `max_events` wait, later ones are dropped.
//
// A program drives it from the emulation thread only: events as they come,
// `poll` from the frame loop's key poll (host contract), `clear` when the
// machine starts afresh.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

constexpr unsigned char KEY_RELEASE_CODE = 0x04;
// The host key of `keys_lost`: whatever key was sent last comes up.
constexpr int KEY_HOST_ANY = -2;
// The host key of codes pushed as they are.
constexpr int KEY_HOST_NONE = -3;

// What a host key sends when it goes down: the program's table.
class key_translator {
public:
    virtual ~key_translator() = default;
    // Appends the codes of host key `host` going down (none: a key the
    // machine lacks). Called once per press queued, in typing order.
    virtual void press(int host, std::vector<unsigned char> &codes) = 0;
    // The machine starts afresh: any state (a pending Shift) goes.
    virtual void reset() {}
};

// Whether the I/O processor has passed the latched code on: its report has
// begun (the pending flag is down) and has put the code in the mailbox
// (the report's second byte), or no report of it is under way.
bool key_machine_took_code();

class key_queue {
public:
    key_queue(int patience, size_t max_events, key_translator *translator = nullptr)
        : patience_(patience), max_events_(max_events), translator_(translator)
    {
    }

    void set_translator(key_translator *t) { translator_ = t; }

    void key_down(int host);
    void key_up(int host);
    // The keyboard went elsewhere (a menu, another window): the key sent
    // last gets its release, since its key-up will not come here.
    void keys_lost();

    void push_code(unsigned char code);
    // Codes sent one after another, in one turn of the queue; a sequence
    // that ends with the release code leaves no key down.
    void push_sequence(const std::vector<unsigned char> &codes);

    // The key poll: the next code goes to the machine once it has taken
    // the one before (or `patience` polls have passed).
    void poll();

    // A code sent is not yet taken (and the queue still waits for it), or
    // something waits to be sent.
    bool busy() const;
    // Events waiting (the code the machine is reading not counted).
    int waiting() const { return static_cast<int>(events_.size()); }
    // The host key whose codes were queued last and not yet released, or -1.
    int last_pressed() const { return last_pressed_; }

    // Everything forgotten, the translator's state too.
    void clear();

private:
    struct event {
        int host;
        bool down;
        std::vector<unsigned char> codes;
    };
    bool add(event e);
    void send(unsigned char code);

    int patience_;
    size_t max_events_;
    key_translator *translator_ = nullptr;
    std::deque<event> events_;
    std::deque<unsigned char> sending_;  // the rest of the event being sent
    int last_pressed_ = -1;
    bool in_flight_ = false;  // a code was sent and the machine has not taken it yet
    int waited_ = 0;          // polls since it was sent
};
