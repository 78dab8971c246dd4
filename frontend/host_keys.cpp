#include "host_keys.h"

#include <strings.h>

namespace {

struct named {
    int key;
    const char *name;
};

// The keys whose names are not made from a letter or a number.
constexpr named names[] = {
    {HOST_KEY_ESCAPE, "Escape"},
    {HOST_KEY_TAB, "Tab"},
    {HOST_KEY_RETURN, "Return"},
    {HOST_KEY_SPACE, "Space"},
    {HOST_KEY_BACKSPACE, "Backspace"},
    {HOST_KEY_DELETE, "Delete"},
    {HOST_KEY_INSERT, "Insert"},
    {HOST_KEY_HOME, "Home"},
    {HOST_KEY_END, "End"},
    {HOST_KEY_PAGE_UP, "PageUp"},
    {HOST_KEY_PAGE_DOWN, "PageDown"},
    {HOST_KEY_UP, "Up"},
    {HOST_KEY_DOWN, "Down"},
    {HOST_KEY_LEFT, "Left"},
    {HOST_KEY_RIGHT, "Right"},
    {HOST_KEY_LEFT_SHIFT, "LeftShift"},
    {HOST_KEY_RIGHT_SHIFT, "RightShift"},
    {HOST_KEY_LEFT_CTRL, "LeftCtrl"},
    {HOST_KEY_RIGHT_CTRL, "RightCtrl"},
    {HOST_KEY_ALT, "Alt"},
    {HOST_KEY_ALT_GR, "AltGr"},
    {HOST_KEY_CAPS_LOCK, "CapsLock"},
    {HOST_KEY_PAUSE, "Pause"},
    {HOST_KEY_MINUS, "Minus"},
    {HOST_KEY_EQUALS, "Equals"},
    {HOST_KEY_LEFT_BRACKET, "LeftBracket"},
    {HOST_KEY_RIGHT_BRACKET, "RightBracket"},
    {HOST_KEY_BACKSLASH, "Backslash"},
    {HOST_KEY_SEMICOLON, "Semicolon"},
    {HOST_KEY_QUOTE, "Quote"},
    {HOST_KEY_BACKQUOTE, "Backquote"},
    {HOST_KEY_COMMA, "Comma"},
    {HOST_KEY_PERIOD, "Period"},
    {HOST_KEY_SLASH, "Slash"},
    {HOST_KEY_LESS, "Less"},
    {HOST_KEY_KEYPAD_PLUS, "KeypadPlus"},
    {HOST_KEY_KEYPAD_MINUS, "KeypadMinus"},
    {HOST_KEY_KEYPAD_MULTIPLY, "KeypadMultiply"},
    {HOST_KEY_KEYPAD_DIVIDE, "KeypadDivide"},
    {HOST_KEY_KEYPAD_ENTER, "KeypadEnter"},
    {HOST_KEY_KEYPAD_PERIOD, "KeypadPeriod"},
    {PAD_UP, "Pad.Up"},
    {PAD_DOWN, "Pad.Down"},
    {PAD_LEFT, "Pad.Left"},
    {PAD_RIGHT, "Pad.Right"},
};

// A name and a number ("F" + 1). Built by appending: g++ 12 warns wrongly
// about the copy in `"F" + std::to_string(n)`.
std::string numbered(const char *stem, int n)
{
    std::string name = stem;
    name += std::to_string(n);
    return name;
}

} // namespace

std::string host_key_name(int key)
{
    if (key >= HOST_KEY_A && key < HOST_KEY_A + 26)
        return std::string(1, static_cast<char>('A' + key - HOST_KEY_A));
    if (key >= HOST_KEY_0 && key < HOST_KEY_0 + 10)
        return std::string(1, static_cast<char>('0' + key - HOST_KEY_0));
    if (key >= HOST_KEY_F1 && key < HOST_KEY_F1 + 12)
        return numbered("F", key - HOST_KEY_F1 + 1);
    if (key >= HOST_KEY_KEYPAD_0 && key < HOST_KEY_KEYPAD_0 + 10)
        return numbered("Keypad", key - HOST_KEY_KEYPAD_0);
    if (key >= PAD_BUTTON_1 && key < PAD_INPUT_END)
        return numbered("Pad.Button", key - PAD_BUTTON_1 + 1);
    for (const named &n : names)
        if (n.key == key)
            return n.name;
    return "";
}

int host_key_from_name(const std::string &name)
{
    if (name.empty())
        return HOST_KEY_NONE;
    for (int key = HOST_KEY_A; key < HOST_KEY_COUNT; key++)
        if (strcasecmp(host_key_name(key).c_str(), name.c_str()) == 0)
            return key;
    for (int key = PAD_UP; key < PAD_INPUT_END; key++)
        if (strcasecmp(host_key_name(key).c_str(), name.c_str()) == 0)
            return key;
    return HOST_KEY_NONE;
}
