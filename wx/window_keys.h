// The main window's own keys, which never reach the machine: the entries
// of the Speed, View, Tape, Sound, Keyboard and Help menus that have a key.
// The panel serves them itself, so that they work in fullscreen too, where
// the menu bar is hidden. Key codes are wx's (the numbers are wx 3.2's
// WXK_ values, checked where wx is included).
#pragma once

constexpr int WXO_KEY_F2 = 341;
constexpr int WXO_KEY_F3 = 342;
constexpr int WXO_KEY_F8 = 347;
constexpr int WXO_KEY_F9 = 348;
constexpr int WXO_KEY_F11 = 350;
constexpr int WXO_KEY_END = 312;
constexpr int WXO_KEY_INSERT = 322;
constexpr int WXO_KEY_PAGE_UP = 366;
constexpr int WXO_KEY_PAGE_DOWN = 367;
constexpr int WXO_KEY_KEYPAD_MULTIPLY = 387;
constexpr int WXO_KEY_KEYPAD_ADD = 388;
constexpr int WXO_KEY_KEYPAD_DIVIDE = 392;

// The menu command (menus.h) of a key, or 0 for a key of the machine.
// F3 gives ID_FAST_FORWARD, which the panel serves as a held key.
int window_key_command(int key_code);
