#include "wx_key_table.h"

// Every host key the machine has but the letters (65 to 90, 97 to 122).
const wx_key_row wx_key_rows[] = {
    {9, 9, 9},       // Tab
    {13, 13, 13},    // Return
    {27, 27, 27},    // Escape
    {343, 27, 27},   // F4
    {32, 32, 32},    // Space
    {43, 95, 45},    // +
    {44, 44, 63},    // ,
    {46, 59, 46},    // .
    {47, 58, 47},    // /
    {48, 48, 2},   {324, 48, 2},     // 0, keypad 0
    {49, 49, 38},  {325, 49, 38},
    {50, 50, 17},  {326, 50, 17},
    {51, 51, 34},  {327, 51, 34},
    {52, 52, 39},  {328, 52, 39},
    {53, 53, 40},  {329, 53, 40},
    {54, 54, 36},  {330, 54, 36},
    {55, 55, 16},  {331, 55, 16},
    {56, 56, 33},  {332, 56, 33},
    {57, 57, 20},  {333, 57, 20},    // 9, keypad 9
    {59, 60, 91},    // ;
    {91, 35, 41},    // [
    {92, 62, 93},    // backslash
    {93, 126, 94},   // ]
    {126, 37, 64},   // ~
    {127, 8, 8},     // Delete
    {223, 92, 42},
    {226, 61, 43},
    {306, 134, 134}, // Shift
    {307, 136, 136}, // Alt
    {308, 137, 137}, // Control
    {310, 42, 42},   // Pause
    {311, 135, 135}, // Caps Lock
    {313, 133, 133}, // Home
    {314, 131, 131}, // Left
    {315, 128, 128}, // Up
    {316, 129, 129}, // Right
    {317, 130, 130}, // Down
    {386, 48, 48},
    {390, 48, 48},
};
const size_t wx_key_row_count = sizeof wx_key_rows / sizeof wx_key_rows[0];

int wx_translate_key(int host_code, bool shifted)
{
    if ((host_code >= 65 && host_code <= 90) || (host_code >= 97 && host_code <= 122))
        return host_code;
    for (size_t i = 0; i < wx_key_row_count; i++)
        if (wx_key_rows[i].host == host_code)
            return shifted ? wx_key_rows[i].shifted : wx_key_rows[i].plain;
    return -1;
}

void wx_key_translator::press(int host, std::vector<unsigned char> &codes)
{
    int code = wx_translate_key(host, shift != 0);
    if (code < 0)
        return;
    if (host == WX_HOST_SHIFT)
        shift = shift <= 0 ? 1 : 0;
    codes.push_back(static_cast<unsigned char>(code));
    // One-shot: the press of Shift counts 1 -> 2, the next key 2 -> 3 -> off.
    if (shift != 0 && ++shift == 3)
        shift = 0;
}
