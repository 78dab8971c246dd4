// The host keyboard: wx key codes translated into the machine's key codes.
//
// The panel's key-downs and key-ups go into a queue in the order they
// happened; the frame loop's poll (every second frame) hands the machine the
// next one, and only once the I/O processor has passed the previous code on
// to the firmware. The machine has one latch for a key code, which a later
// code would overwrite unseen: so a press however short is never lost, nor
// is a key typed between two polls. A key-up sends the release code (0x04)
// when it is the key last sent; other key-ups and keys the machine lacks take
// no turn. Shift is one-shot: one press of Shift makes the next translated
// key shifted, a second press before any other key cancels it.
//
// The host's auto-repeat adds a press only while the previous press of that
// key is not still waiting in the queue, so a held key repeats as fast as
// the machine takes it and no backlog is left when it comes up.
#pragma once

extern int last_pressed;  // host code last translated and sent; -1 none
extern int shift;         // one-shot shift state, 0 off

// A code not taken by the machine after this many polls (two seconds) is
// given up: a machine that does not read its keyboard does not hold the
// queue for ever.
constexpr int KEY_WAIT_POLLS = 50;
// Events kept waiting at most; later ones are dropped.
constexpr int KEY_QUEUE_MAX = 256;

// The machine code of a host key code (shifted column when `shifted`), or
// -1 for a key the machine does not have.
int orv_translate_key(int host_code, bool shifted);

// The frame loop's keyboard poll (host contract).
void orv_key_poll();

// The panel's key events.
void orv_key_down(int host_code);
void orv_key_up(int host_code);
// The keyboard went elsewhere (the panel lost the focus, a menu opened):
// the key last sent gets its release, since its key-up will not come here.
void orv_keys_lost();

// Events waiting for the machine (the one it is reading not counted).
int keys_waiting();

void keys_clear_state();
