#include "keys.h"

#include "events.h"

#include "core/iocpu.h"

int last_keycode = -1;
int last_pressed = -1;
int shift;

namespace {

constexpr int HOST_SHIFT = 306;
constexpr unsigned char KEY_RELEASED = 0x04;

struct key_row {
    int host;       // wx key code
    int plain;      // machine code
    int shifted;    // machine code with shift
};

// Every host key the machine has; letters (65 to 90, 97 to 122) are their
// own codes and ignore shift.
constexpr key_row key_table[] = {
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

} // namespace

int orv_translate_key(int host_code, bool shifted)
{
    if ((host_code >= 65 && host_code <= 90) || (host_code >= 97 && host_code <= 122))
        return host_code;
    for (const key_row &row : key_table)
        if (row.host == host_code)
            return shifted ? row.shifted : row.plain;
    return -1;
}

void orv_key_poll()
{
    int host_code = last_keycode;
    last_keycode = -1;
    int code = orv_translate_key(host_code, shift != 0);
    if (code < 0)
        return;
    if (host_code == HOST_SHIFT)
        shift = shift <= 0 ? 1 : 0;
    send_key(static_cast<unsigned char>(code));
    event_log("key %d", code);
    last_pressed = host_code;
    // One-shot: the press of Shift counts 1 -> 2, the next key 2 -> 3 -> off.
    if (shift != 0 && ++shift == 3)
        shift = 0;
}

void orv_key_down(int host_code)
{
    last_keycode = host_code;
}

void orv_key_up(int host_code)
{
    if (host_code == last_pressed) {
        send_key(KEY_RELEASED);
        event_log("key %d", KEY_RELEASED);
        last_pressed = -1;
    }
}

void keys_clear_state()
{
    last_keycode = -1;
    last_pressed = -1;
    shift = 0;
}
