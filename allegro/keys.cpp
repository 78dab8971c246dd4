// The host keyboard as the machine's: every second frame the poll of
// key_poll.h picks the host key whose code goes to the I/O processor. Every
// press is recorded as it happens (Allegro's low-level keyboard callback),
// so that a press shorter than two frames still reaches the machine.
#include "app.h"
#include "key_poll.h"

#include "core/iocpu.h"

#include <allegro.h>

#include <atomic>

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
static_assert(KEY_MAX <= KEY_POLL_SCANCODES, "scancodes beyond the poll's arrays");

key_poller poller(key_table, sizeof key_table / sizeof key_table[0]);
std::atomic<unsigned char> pressed[KEY_POLL_SCANCODES];
// The keys as the callback last saw them: a press is recorded only when the
// key was up, so that the host's key repeat is not taken for new presses.
std::atomic<unsigned char> seen_down[KEY_POLL_SCANCODES];

// Allegro's keyboard thread: the scancode, with bit 7 set on a release.
void key_event(int code)
{
    int sc = code & 0x7F;
    if (code & 0x80) {
        seen_down[sc].store(0, std::memory_order_relaxed);
        return;
    }
    if (!seen_down[sc].exchange(1, std::memory_order_relaxed))
        pressed[sc].store(1, std::memory_order_release);
}
END_OF_FUNCTION(key_event)

key_poll_input input()
{
    return {key, pressed, (tms7041.flags & KEY_PENDING) != 0};
}

void send(unsigned char code)
{
    send_key(code);
}

} // namespace

void keys_init()
{
    LOCK_FUNCTION(key_event);
    LOCK_VARIABLE(pressed);
    LOCK_VARIABLE(seen_down);
    keyboard_lowlevel_callback = key_event;
}

void keys_poll()
{
    poller.poll(input(), send);
}

void keys_run_start()
{
    poller.run_start(input());
}
