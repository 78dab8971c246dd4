#include "window_keys.h"

#include "menus.h"

int window_key_command(int key_code)
{
    switch (key_code) {
    case WXO_KEY_F2: return ID_PAUSE;
    case WXO_KEY_F3: return ID_FAST_FORWARD;
    case WXO_KEY_F8: return ID_TAPE_REWIND;
    case WXO_KEY_F9: return ID_KEY_LIST;
    case WXO_KEY_F11: return ID_FULLSCREEN;
    case WXO_KEY_END: return ID_TAPE_PLAY;
    case WXO_KEY_INSERT: return ID_PASTE;
    case WXO_KEY_PAGE_UP: return ID_SCALE_UP;
    case WXO_KEY_PAGE_DOWN: return ID_SCALE_DOWN;
    case WXO_KEY_KEYPAD_ADD: return ID_VOLUME_UP;
    case WXO_KEY_KEYPAD_DIVIDE: return ID_VOLUME_DOWN;
    case WXO_KEY_KEYPAD_MULTIPLY: return ID_MUTE;
    default: return 0;
    }
}
