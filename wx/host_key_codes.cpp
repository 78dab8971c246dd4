#include "host_key_codes.h"

#include "frontend/host_keys.h"

int wx_code_to_host_key(int c)
{
    if (c >= 'A' && c <= 'Z')
        return HOST_KEY_A + (c - 'A');
    if (c >= 'a' && c <= 'z')
        return HOST_KEY_A + (c - 'a');
    if (c >= '0' && c <= '9')
        return HOST_KEY_0 + (c - '0');
    if (c >= 340 && c <= 351)  // F1 to F12
        return HOST_KEY_F1 + (c - 340);
    if (c >= 324 && c <= 333)  // keypad 0 to 9
        return HOST_KEY_KEYPAD_0 + (c - 324);
    switch (c) {
    case 27: return HOST_KEY_ESCAPE;
    case 9: return HOST_KEY_TAB;
    case 13: return HOST_KEY_RETURN;
    case 32: return HOST_KEY_SPACE;
    case 8: return HOST_KEY_BACKSPACE;
    case 127: return HOST_KEY_DELETE;
    case 322: return HOST_KEY_INSERT;
    case 313: return HOST_KEY_HOME;
    case 312: return HOST_KEY_END;
    case 366: return HOST_KEY_PAGE_UP;
    case 367: return HOST_KEY_PAGE_DOWN;
    case 315: return HOST_KEY_UP;
    case 317: return HOST_KEY_DOWN;
    case 314: return HOST_KEY_LEFT;
    case 316: return HOST_KEY_RIGHT;
    case 306: return HOST_KEY_LEFT_SHIFT;  // wx tells no left from right
    case 308: return HOST_KEY_LEFT_CTRL;
    case 307: return HOST_KEY_ALT;
    case 311: return HOST_KEY_CAPS_LOCK;
    case 310: return HOST_KEY_PAUSE;
    case '-': return HOST_KEY_MINUS;
    case '=': return HOST_KEY_EQUALS;
    case '[': return HOST_KEY_LEFT_BRACKET;
    case ']': return HOST_KEY_RIGHT_BRACKET;
    case '\\': return HOST_KEY_BACKSLASH;
    case ';': return HOST_KEY_SEMICOLON;
    case '\'': return HOST_KEY_QUOTE;
    case '`': return HOST_KEY_BACKQUOTE;
    case ',': return HOST_KEY_COMMA;
    case '.': return HOST_KEY_PERIOD;
    case '/': return HOST_KEY_SLASH;
    case '<': return HOST_KEY_LESS;
    case 388: return HOST_KEY_KEYPAD_PLUS;
    case 390: return HOST_KEY_KEYPAD_MINUS;
    case 387: return HOST_KEY_KEYPAD_MULTIPLY;
    case 392: return HOST_KEY_KEYPAD_DIVIDE;
    case 370: return HOST_KEY_KEYPAD_ENTER;
    case 391: return HOST_KEY_KEYPAD_PERIOD;
    default: return HOST_KEY_NONE;
    }
}
