// A gamepad as machine keys: the program feeds the pad's buttons, its hat
// and its first stick as the toolkit reports them (Allegro's joystick
// calls, SDL's game controller); at each key poll the pad's inputs that
// went down or up become key events of the key queue, numbered PAD_UP,
// PAD_DOWN, PAD_LEFT, PAD_RIGHT and PAD_BUTTON_1 on (host_keys.h). The
// queue's translator (key_map_translator) gives their codes: the key map's,
// or the defaults (arrows, Space, Return).
//
// A direction is down while the hat points that way or the stick leans
// past half-way; once down, it stays down until the stick comes back below
// a third of the way, so that a stick held near the threshold does not
// chatter. Events go out in input order, key-ups before key-downs, so that
// rolling from one direction to the next releases the first before the
// second is pressed.
#pragma once

#include "host_keys.h"
#include "key_queue.h"

class gamepad {
public:
    // Stick positions run from -32768 to 32767, as both toolkits give them.
    static constexpr int AXIS_PRESS = 16384;
    static constexpr int AXIS_RELEASE = 10923;

    // Button `n` from 0 (the pad's first); others are ignored.
    void set_button(int n, bool down);
    // Axis 0 is the first stick's horizontal (negative: left), 1 its vertical
    // (negative: up); others are ignored.
    void set_axis(int axis, int value);
    void set_hat(bool up, bool down, bool left, bool right);
    // The pad went away: every input comes up at the next poll.
    void disconnect();

    // Hands the changes since the last poll to the queue.
    void poll(key_queue &keys);

    // Whether input `input` (PAD_UP ...) is down now.
    bool down(int input) const;

private:
    bool stick_down(int direction) const;

    bool buttons_[PAD_BUTTONS] = {};
    bool hat_[4] = {};            // up, down, left, right
    int axis_[2] = {};
    bool stick_[4] = {};          // a direction the stick holds down
    bool sent_[PAD_INPUT_END - PAD_UP] = {};  // as the queue last heard
};
