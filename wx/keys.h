// The host keyboard: wx key codes translated into the machine's key codes.
//
// A key-down only notes its code; the frame loop's poll (every second frame)
// translates the last noted code and sends it, so a key pressed and released
// between two polls still arrives. The release code (0x04) is sent when the
// key last sent comes up. Shift is one-shot: one press of Shift makes the
// next translated key shifted, a second press before any other key cancels it.
#pragma once

extern int last_keycode;  // host code of the last key-down not yet translated; -1 none
extern int last_pressed;  // host code last translated and sent; -1 none
extern int shift;         // one-shot shift state, 0 off

// The machine code of a host key code (shifted column when `shifted`), or
// -1 for a key the machine does not have.
int orv_translate_key(int host_code, bool shifted);

// The frame loop's keyboard poll (host contract).
void orv_key_poll();

// The panel's key events.
void orv_key_down(int host_code);
void orv_key_up(int host_code);

void keys_clear_state();
