// The host keyboard as the machine's: every second frame the first host key
// of the table that is down becomes the held key and its code goes to the
// I/O processor; its release sends 4. One key at a time.
#include "app.h"

#include "core/iocpu.h"

#include <allegro.h>

namespace {

struct key_map {
    int scancode;
    unsigned char code;
};

constexpr unsigned char KEY_RELEASED = 4;
constexpr unsigned char CODE_SHIFT = 134;

// In the order the poll tests them.
const key_map key_table[] = {
    {KEY_A, 65}, {KEY_B, 66}, {KEY_C, 67}, {KEY_D, 68}, {KEY_E, 69}, {KEY_F, 70}, {KEY_G, 71},
    {KEY_H, 72}, {KEY_I, 73}, {KEY_J, 74}, {KEY_K, 75}, {KEY_L, 76}, {KEY_M, 77}, {KEY_N, 78},
    {KEY_O, 79}, {KEY_P, 80}, {KEY_Q, 81}, {KEY_R, 82}, {KEY_S, 83}, {KEY_T, 84}, {KEY_U, 85},
    {KEY_V, 86}, {KEY_W, 87}, {KEY_X, 88}, {KEY_Y, 89}, {KEY_Z, 90},
    {KEY_1, 49}, {KEY_2, 50}, {KEY_3, 51}, {KEY_4, 52}, {KEY_5, 53}, {KEY_6, 54}, {KEY_7, 55},
    {KEY_8, 56}, {KEY_9, 57}, {KEY_0, 48},
    {KEY_MINUS, 48}, {KEY_EQUALS, 48}, {KEY_STOP, 42},
    {KEY_ENTER, 13}, {KEY_SPACE, 32},
    {KEY_UP, 128}, {KEY_DOWN, 130}, {KEY_LEFT, 131}, {KEY_RIGHT, 129},
    {KEY_F4, 27}, {KEY_TAB, 9}, {KEY_DEL, 8},
    {KEY_LSHIFT, CODE_SHIFT}, {KEY_HOME, 133}, {KEY_CAPSLOCK, 135}, {KEY_LCONTROL, 137},
    {KEY_ALT, 136},
};

int held = -1;         // scancode of the key whose code was sent last, -1: none
bool shift_toggle;     // flipped by each press of left Shift; changes what 2 sends

unsigned char key_code(const key_map &k)
{
    if (k.scancode == KEY_2)
        return shift_toggle ? 34 : 50;
    return k.code;
}

} // namespace

void keys_poll()
{
    if (held >= 0) {
        if (key[held])
            return;
        send_key(KEY_RELEASED);
        held = -1;
    }
    for (const key_map &k : key_table) {
        if (!key[k.scancode])
            continue;
        held = k.scancode;
        if (k.scancode == KEY_LSHIFT)
            shift_toggle = !shift_toggle;
        send_key(key_code(k));
        return;
    }
}

