// Allegro's scancodes as the host keys of frontend/host_keys.h, the names a
// key map file uses.
#include "app.h"

#include "frontend/host_keys.h"

#include <allegro.h>

int app_host_key(int scancode)
{
    if (scancode >= KEY_A && scancode <= KEY_Z)
        return HOST_KEY_A + (scancode - KEY_A);
    if (scancode >= KEY_0 && scancode <= KEY_9)
        return HOST_KEY_0 + (scancode - KEY_0);
    if (scancode >= KEY_0_PAD && scancode <= KEY_9_PAD)
        return HOST_KEY_KEYPAD_0 + (scancode - KEY_0_PAD);
    if (scancode >= KEY_F1 && scancode <= KEY_F12)
        return HOST_KEY_F1 + (scancode - KEY_F1);
    switch (scancode) {
    case KEY_ESC: return HOST_KEY_ESCAPE;
    case KEY_TAB: return HOST_KEY_TAB;
    case KEY_ENTER: return HOST_KEY_RETURN;
    case KEY_SPACE: return HOST_KEY_SPACE;
    case KEY_BACKSPACE: return HOST_KEY_BACKSPACE;
    case KEY_DEL: return HOST_KEY_DELETE;
    case KEY_INSERT: return HOST_KEY_INSERT;
    case KEY_HOME: return HOST_KEY_HOME;
    case KEY_END: return HOST_KEY_END;
    case KEY_PGUP: return HOST_KEY_PAGE_UP;
    case KEY_PGDN: return HOST_KEY_PAGE_DOWN;
    case KEY_UP: return HOST_KEY_UP;
    case KEY_DOWN: return HOST_KEY_DOWN;
    case KEY_LEFT: return HOST_KEY_LEFT;
    case KEY_RIGHT: return HOST_KEY_RIGHT;
    case KEY_LSHIFT: return HOST_KEY_LEFT_SHIFT;
    case KEY_RSHIFT: return HOST_KEY_RIGHT_SHIFT;
    case KEY_LCONTROL: return HOST_KEY_LEFT_CTRL;
    case KEY_RCONTROL: return HOST_KEY_RIGHT_CTRL;
    case KEY_ALT: return HOST_KEY_ALT;
    case KEY_ALTGR: return HOST_KEY_ALT_GR;
    case KEY_CAPSLOCK: return HOST_KEY_CAPS_LOCK;
    case KEY_PAUSE: return HOST_KEY_PAUSE;
    case KEY_MINUS: return HOST_KEY_MINUS;
    case KEY_EQUALS: return HOST_KEY_EQUALS;
    case KEY_OPENBRACE: return HOST_KEY_LEFT_BRACKET;
    case KEY_CLOSEBRACE: return HOST_KEY_RIGHT_BRACKET;
    case KEY_BACKSLASH: return HOST_KEY_BACKSLASH;
    case KEY_COLON: return HOST_KEY_SEMICOLON;
    case KEY_SEMICOLON: return HOST_KEY_SEMICOLON;
    case KEY_QUOTE: return HOST_KEY_QUOTE;
    case KEY_TILDE: return HOST_KEY_BACKQUOTE;
    case KEY_BACKQUOTE: return HOST_KEY_BACKQUOTE;
    case KEY_COMMA: return HOST_KEY_COMMA;
    case KEY_STOP: return HOST_KEY_PERIOD;
    case KEY_SLASH: return HOST_KEY_SLASH;
    case KEY_BACKSLASH2: return HOST_KEY_LESS;
    case KEY_PLUS_PAD: return HOST_KEY_KEYPAD_PLUS;
    case KEY_MINUS_PAD: return HOST_KEY_KEYPAD_MINUS;
    case KEY_ASTERISK: return HOST_KEY_KEYPAD_MULTIPLY;
    case KEY_SLASH_PAD: return HOST_KEY_KEYPAD_DIVIDE;
    case KEY_ENTER_PAD: return HOST_KEY_KEYPAD_ENTER;
    case KEY_DEL_PAD: return HOST_KEY_KEYPAD_PERIOD;
    default: return HOST_KEY_NONE;
    }
}
