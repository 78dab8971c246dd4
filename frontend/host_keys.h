// Host keys by name, the same in every program: the names a key map file
// uses. A program turns its toolkit's key codes into these (a small table
// of its own, since only it knows the toolkit), and gamepad inputs have
// names of their own ("Pad.Up", "Pad.Button1").
//
// Key names: A to Z, 0 to 9, F1 to F12, Escape, Tab, Return, Space,
// Backspace, Delete, Insert, Home, End, PageUp, PageDown, Up, Down, Left,
// Right, LeftShift, RightShift, LeftCtrl, RightCtrl, Alt, AltGr, CapsLock,
// Pause, Minus, Equals, LeftBracket, RightBracket, Backslash, Semicolon,
// Quote, Backquote, Comma, Period, Slash, Less (the key beside left Shift on
// keyboards that have it), Keypad0 to Keypad9, KeypadPlus, KeypadMinus,
// KeypadMultiply, KeypadDivide, KeypadEnter, KeypadPeriod. Names are read
// in any case.
#pragma once

#include <string>

enum host_key : int {
    HOST_KEY_NONE = 0,
    HOST_KEY_A = 1,                    // to HOST_KEY_A + 25: Z
    HOST_KEY_0 = HOST_KEY_A + 26,      // to HOST_KEY_0 + 9
    HOST_KEY_F1 = HOST_KEY_0 + 10,     // to HOST_KEY_F1 + 11: F12
    HOST_KEY_ESCAPE = HOST_KEY_F1 + 12,
    HOST_KEY_TAB,
    HOST_KEY_RETURN,
    HOST_KEY_SPACE,
    HOST_KEY_BACKSPACE,
    HOST_KEY_DELETE,
    HOST_KEY_INSERT,
    HOST_KEY_HOME,
    HOST_KEY_END,
    HOST_KEY_PAGE_UP,
    HOST_KEY_PAGE_DOWN,
    HOST_KEY_UP,
    HOST_KEY_DOWN,
    HOST_KEY_LEFT,
    HOST_KEY_RIGHT,
    HOST_KEY_LEFT_SHIFT,
    HOST_KEY_RIGHT_SHIFT,
    HOST_KEY_LEFT_CTRL,
    HOST_KEY_RIGHT_CTRL,
    HOST_KEY_ALT,
    HOST_KEY_ALT_GR,
    HOST_KEY_CAPS_LOCK,
    HOST_KEY_PAUSE,
    HOST_KEY_MINUS,
    HOST_KEY_EQUALS,
    HOST_KEY_LEFT_BRACKET,
    HOST_KEY_RIGHT_BRACKET,
    HOST_KEY_BACKSLASH,
    HOST_KEY_SEMICOLON,
    HOST_KEY_QUOTE,
    HOST_KEY_BACKQUOTE,
    HOST_KEY_COMMA,
    HOST_KEY_PERIOD,
    HOST_KEY_SLASH,
    HOST_KEY_LESS,
    HOST_KEY_KEYPAD_0,                 // to HOST_KEY_KEYPAD_0 + 9
    HOST_KEY_KEYPAD_PLUS = HOST_KEY_KEYPAD_0 + 10,
    HOST_KEY_KEYPAD_MINUS,
    HOST_KEY_KEYPAD_MULTIPLY,
    HOST_KEY_KEYPAD_DIVIDE,
    HOST_KEY_KEYPAD_ENTER,
    HOST_KEY_KEYPAD_PERIOD,
    HOST_KEY_COUNT,
};

// Gamepad inputs, numbered after the keys: the four directions (the pad's
// hat or its first stick), then its buttons.
constexpr int PAD_UP = 1000;
constexpr int PAD_DOWN = PAD_UP + 1;
constexpr int PAD_LEFT = PAD_UP + 2;
constexpr int PAD_RIGHT = PAD_UP + 3;
constexpr int PAD_BUTTON_1 = PAD_UP + 4;   // to PAD_BUTTON_1 + PAD_BUTTONS - 1
constexpr int PAD_BUTTONS = 16;
constexpr int PAD_INPUT_END = PAD_BUTTON_1 + PAD_BUTTONS;

// The name of a key or gamepad input ("" for none).
std::string host_key_name(int key);
// The key or input of a name, in any case; HOST_KEY_NONE when there is none.
int host_key_from_name(const std::string &name);
