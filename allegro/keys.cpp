// The host keyboard as the machine's. Every code goes to the I/O processor
// through the key queue (frontend/key_queue.h), which hands the machine one
// code at a time, from the key poll run every second frame. What fills it:
// - the positional poll (frontend/key_poll.h) over the table below, in the
//   order it tests them: the default keyboard;
// - in the character mode, the characters the host keyboard types
//   (Allegro's keyboard buffer), each as the machine keys that type it
//   (frontend/char_keys.h); the keys that type no character stay with the
//   poll;
// - the keys a key map file names (frontend/key_map.h), by their presses
//   and releases, and the gamepad;
// - text pasted from the clipboard (frontend/paste.h).
// Every press is recorded as it happens (Allegro's low-level keyboard
// callback), so that a press shorter than two frames still counts.
#include "app.h"

#include "frontend/char_keys.h"
#include "frontend/gamepad.h"
#include "frontend/key_map.h"
#include "frontend/key_poll.h"
#include "frontend/key_queue.h"
#include "frontend/paste.h"
#include "frontend/settings.h"

#include <allegro.h>

#include <atomic>
#include <vector>

namespace {

constexpr unsigned char CODE_SHIFT = 134;

// In the order the poll tests them.
const key_poll_entry key_table[] = {
    {KEY_A, 65, 0, KEY_PLAIN}, {KEY_B, 66, 0, KEY_PLAIN}, {KEY_C, 67, 0, KEY_PLAIN},
    {KEY_D, 68, 0, KEY_PLAIN}, {KEY_E, 69, 0, KEY_PLAIN}, {KEY_F, 70, 0, KEY_PLAIN},
    {KEY_G, 71, 0, KEY_PLAIN}, {KEY_H, 72, 0, KEY_PLAIN}, {KEY_I, 73, 0, KEY_PLAIN},
    {KEY_J, 74, 0, KEY_PLAIN}, {KEY_K, 75, 0, KEY_PLAIN}, {KEY_L, 76, 0, KEY_PLAIN},
    {KEY_M, 77, 0, KEY_PLAIN}, {KEY_N, 78, 0, KEY_PLAIN}, {KEY_O, 79, 0, KEY_PLAIN},
    {KEY_P, 80, 0, KEY_PLAIN}, {KEY_Q, 81, 0, KEY_PLAIN}, {KEY_R, 82, 0, KEY_PLAIN},
    {KEY_S, 83, 0, KEY_PLAIN}, {KEY_T, 84, 0, KEY_PLAIN}, {KEY_U, 85, 0, KEY_PLAIN},
    {KEY_V, 86, 0, KEY_PLAIN}, {KEY_W, 87, 0, KEY_PLAIN}, {KEY_X, 88, 0, KEY_PLAIN},
    {KEY_Y, 89, 0, KEY_PLAIN}, {KEY_Z, 90, 0, KEY_PLAIN},
    {KEY_1, 49, 0, KEY_PLAIN}, {KEY_2, 50, 34, KEY_PLAIN}, {KEY_3, 51, 0, KEY_PLAIN},
    {KEY_4, 52, 0, KEY_PLAIN}, {KEY_5, 53, 0, KEY_PLAIN}, {KEY_6, 54, 0, KEY_PLAIN},
    {KEY_7, 55, 0, KEY_PLAIN}, {KEY_8, 56, 0, KEY_PLAIN}, {KEY_9, 57, 0, KEY_PLAIN},
    {KEY_0, 48, 0, KEY_PLAIN},
    {KEY_MINUS, 48, 0, KEY_PLAIN}, {KEY_EQUALS, 48, 0, KEY_PLAIN}, {KEY_STOP, 42, 0, KEY_PLAIN},
    {KEY_ENTER, 13, 0, KEY_PLAIN}, {KEY_SPACE, 32, 0, KEY_PLAIN},
    {KEY_UP, 128, 0, KEY_PLAIN}, {KEY_DOWN, 130, 0, KEY_PLAIN}, {KEY_LEFT, 131, 0, KEY_PLAIN},
    {KEY_RIGHT, 129, 0, KEY_PLAIN},
    {KEY_F4, 27, 0, KEY_PLAIN}, {KEY_TAB, 9, 0, KEY_PLAIN}, {KEY_DEL, 8, 0, KEY_PLAIN},
    {KEY_LSHIFT, CODE_SHIFT, 0, KEY_SHIFT}, {KEY_HOME, 133, 0, KEY_PLAIN},
    {KEY_CAPSLOCK, 135, 0, KEY_PLAIN}, {KEY_LCONTROL, 137, 0, KEY_MODIFIER},
    {KEY_ALT, 136, 0, KEY_MODIFIER},
};
constexpr size_t KEY_TABLE_SIZE = sizeof key_table / sizeof key_table[0];
static_assert(KEY_MAX <= KEY_POLL_SCANCODES, "scancodes beyond the poll's arrays");

// In the character mode the poll keeps the keys that type no character.
bool types_no_character(int scancode)
{
    switch (scancode) {
    case KEY_UP: case KEY_DOWN: case KEY_LEFT: case KEY_RIGHT: case KEY_F4: case KEY_HOME:
    case KEY_CAPSLOCK: case KEY_LCONTROL: case KEY_ALT:
        return true;
    default:
        return false;
    }
}

// The program's own keys, which type nothing into the machine in the
// character mode either (unless a key map gives them codes).
bool emulator_key(int scancode)
{
    switch (scancode) {
    case KEY_ESC: case KEY_BACKSPACE: case KEY_PLUS_PAD: case KEY_MINUS_PAD: case KEY_SLASH_PAD:
    case KEY_ASTERISK:
        return true;
    default:
        return scancode >= KEY_F1 && scancode <= KEY_F12;
    }
}

// The poll over the table in use: all of it, or the part the mode and the
// key map leave to it.
std::vector<key_poll_entry> table_in_use(key_table, key_table + KEY_TABLE_SIZE);
key_poller poller(table_in_use.data(), table_in_use.size());

key_map the_map;
key_map_translator translator(&the_map, nullptr, app_host_key);
// The poll decides at most a release and a key code at a time; the queue
// has room for a burst made while the machine does not read its keys.
key_queue queue(KEY_POLL_PATIENCE, 64, &translator);
// The machine types a character only once it has taken the one before;
// each goes after a further poll, for the firmware's own buffer.
paste_queue paste(1);
gamepad pad;
bool joystick_ready;

bool character_mode;
bool mapped[KEY_POLL_SCANCODES];   // the key map names the key
bool mapped_down[KEY_POLL_SCANCODES];

std::atomic<unsigned char> pressed[KEY_POLL_SCANCODES];
// The program's own keys: pressed since the program last looked.
std::atomic<unsigned char> own_pressed[KEY_POLL_SCANCODES];
// The keys as the callback last saw them: a press is recorded only when the
// key was up, so that the host's key repeat is not taken for new presses.
std::atomic<unsigned char> seen_down[KEY_POLL_SCANCODES];
// Host time of the last press (for ORVANE_SOUND_STATS's key-to-sound figure).
std::atomic<double> last_press_ms{-1};

// Allegro's keyboard thread: the scancode, with bit 7 set on a release.
void key_event(int code)
{
    int sc = code & 0x7F;
    if (code & 0x80) {
        seen_down[sc].store(0, std::memory_order_relaxed);
        return;
    }
    if (!seen_down[sc].exchange(1, std::memory_order_relaxed)) {
        pressed[sc].store(1, std::memory_order_release);
        own_pressed[sc].store(1, std::memory_order_release);
        last_press_ms.store(app_host_ms(), std::memory_order_relaxed);
    }
}
END_OF_FUNCTION(key_event)

key_poll_input input()
{
    return {key, pressed, queue.busy()};
}

void send(unsigned char code)
{
    queue.push_code(code);
}

void rebuild_table()
{
    table_in_use.clear();
    for (const key_poll_entry &e : key_table)
        if (!mapped[e.scancode] && (!character_mode || types_no_character(e.scancode)))
            table_in_use.push_back(e);
    poller = key_poller(table_in_use.data(), table_in_use.size());
    poller.run_start(input());
}

// The key map's keys: their presses and releases go to the queue, which
// asks the map for their codes.
void poll_mapped()
{
    for (int sc = 0; sc < KEY_POLL_SCANCODES; sc++) {
        if (!mapped[sc])
            continue;
        bool press = pressed[sc].exchange(0, std::memory_order_acquire) != 0;
        bool down = key[sc] != 0;
        if ((press || down) && !mapped_down[sc])
            queue.key_down(sc);
        else if (press && mapped_down[sc]) {
            // Released and pressed again between two polls.
            queue.key_up(sc);
            queue.key_down(sc);
        }
        if (!down && (press || mapped_down[sc]))
            queue.key_up(sc);
        mapped_down[sc] = down;
    }
}

// The character mode: what the host keyboard typed since the last poll.
void poll_characters()
{
    while (keypressed()) {
        int scancode = 0;
        int c = ureadkey(&scancode);
        if (scancode <= 0 || scancode >= KEY_POLL_SCANCODES || emulator_key(scancode) || mapped[scancode] ||
            types_no_character(scancode))
            continue;
        std::vector<unsigned char> codes;
        if ((key_shifts & (KB_CTRL_FLAG | KB_ALT_FLAG)) != 0) {
            // With Ctrl or Alt held (the poll has sent them) a key types
            // its own code, as in the positional table.
            for (const key_poll_entry &e : key_table)
                if (e.scancode == scancode && e.kind == KEY_PLAIN) {
                    codes = {e.code, KEY_RELEASE_CODE};
                    break;
                }
        } else if (c > 0) {
            char_key_codes(static_cast<char32_t>(c), codes);
        }
        if (!codes.empty())
            queue.push_sequence(codes);
    }
}

void poll_gamepad()
{
    if (!joystick_ready)
        return;
    if (num_joysticks < 1 || poll_joystick() != 0) {
        pad.disconnect();
        pad.poll(queue);
        return;
    }
    const JOYSTICK_INFO &j = joy[0];
    for (int b = 0; b < j.num_buttons && b < PAD_BUTTONS; b++)
        pad.set_button(b, j.button[b].b != 0);
    if (j.num_sticks > 0 && j.stick[0].num_axis >= 2) {
        // Allegro's positions run from -128 to 128.
        for (int a = 0; a < 2; a++) {
            int pos = j.stick[0].axis[a].pos * 256;
            pad.set_axis(a, pos > 32767 ? 32767 : pos);
        }
    }
    // A hat shows as a further digital stick of two axes.
    for (int s = 1; s < j.num_sticks; s++) {
        const JOYSTICK_STICK_INFO &st = j.stick[s];
        if ((st.flags & JOYFLAG_DIGITAL) && st.num_axis == 2) {
            pad.set_hat(st.axis[1].d1, st.axis[1].d2, st.axis[0].d1, st.axis[0].d2);
            break;
        }
    }
    pad.poll(queue);
}

} // namespace

void keys_init()
{
    LOCK_FUNCTION(key_event);
    LOCK_VARIABLE(pressed);
    LOCK_VARIABLE(own_pressed);
    LOCK_VARIABLE(seen_down);
    keyboard_lowlevel_callback = key_event;
    joystick_ready = install_joystick(JOY_TYPE_AUTODETECT) == 0 && num_joysticks > 0;
}

void keys_poll()
{
    poll_mapped();
    if (!paste.active())
        poller.poll(input(), send);
    if (character_mode)
        poll_characters();
    poll_gamepad();
    paste.poll(queue);
    queue.poll();
}

void keys_run_start()
{
    poller.run_start(input());
    for (int sc = 0; sc < KEY_POLL_SCANCODES; sc++)
        own_pressed[sc].store(0, std::memory_order_relaxed);
}

bool keys_take_press(int scancode)
{
    if (scancode < 0 || scancode >= KEY_POLL_SCANCODES || mapped[scancode])
        return false;
    return own_pressed[scancode].exchange(0, std::memory_order_acquire) != 0;
}

bool keys_claimed(int scancode)
{
    return scancode >= 0 && scancode < KEY_POLL_SCANCODES && mapped[scancode];
}

void keys_set_character_mode(bool on)
{
    if (on == character_mode)
        return;
    character_mode = on;
    clear_keybuf();
    rebuild_table();
}

void keys_set_map(const key_map &map)
{
    the_map = map;
    for (int sc = 0; sc < KEY_POLL_SCANCODES; sc++) {
        // Esc and F1 stay the program's: the way to its menu and debugger.
        int host = app_host_key(sc);
        mapped[sc] = sc != KEY_ESC && sc != KEY_F1 && host != HOST_KEY_NONE && the_map.find(host) != nullptr;
        mapped_down[sc] = false;
    }
    queue.keys_lost();
    rebuild_table();
}

size_t keys_paste(const std::string &utf8)
{
    return paste.add(utf8);
}

bool keys_pasting()
{
    return paste.active();
}

size_t keys_paste_left()
{
    return paste.left();
}

void keys_paste_cancel()
{
    paste.cancel();
}

bool keys_gamepad()
{
    return joystick_ready;
}

double keys_last_press_ms()
{
    return last_press_ms.load(std::memory_order_relaxed);
}
