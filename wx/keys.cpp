#include "keys.h"

#include "events.h"

#include "core/iocpu.h"

#include <cstddef>
#include <deque>

int last_pressed = -1;
int shift;

namespace {

constexpr int HOST_SHIFT = 306;
constexpr unsigned char KEY_RELEASED = 0x04;
// A key-up that releases whatever key was sent last.
constexpr int ANY_KEY = -2;

struct key_event {
    int host;   // wx key code, or ANY_KEY
    bool down;
};

std::deque<key_event> queue;
bool in_flight;  // a code was sent and the machine has not taken it yet
int waited;      // polls since it was sent

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

namespace {

// Whether the I/O processor has passed the latched code on: its report has
// begun (the pending flag is down) and has put the code in the mailbox
// (the report's second byte), or no report of it is under way.
bool machine_took_key()
{
    if (tms7041.flags & KEY_PENDING)
        return false;
    return !(tms7041.command == IO_REPORT_KEY && tms7041.byte_index < 2);
}

void send(unsigned char code)
{
    send_key(code);
    event_log("key %d", code);
}

// Hands one event to the machine; false when it sends nothing (a key the
// machine lacks, the release of a key not sent last).
bool deliver(const key_event &event)
{
    if (!event.down) {
        if (last_pressed < 0 || (event.host != ANY_KEY && event.host != last_pressed))
            return false;
        send(KEY_RELEASED);
        last_pressed = -1;
        return true;
    }
    int code = orv_translate_key(event.host, shift != 0);
    if (code < 0)
        return false;
    if (event.host == HOST_SHIFT)
        shift = shift <= 0 ? 1 : 0;
    send(static_cast<unsigned char>(code));
    last_pressed = event.host;
    // One-shot: the press of Shift counts 1 -> 2, the next key 2 -> 3 -> off.
    if (shift != 0 && ++shift == 3)
        shift = 0;
    return true;
}

void add(const key_event &event)
{
    if (queue.size() >= static_cast<std::size_t>(KEY_QUEUE_MAX)) {
        event_log("key queue full: %s %d dropped", event.down ? "press" : "release", event.host);
        return;
    }
    queue.push_back(event);
}

} // namespace

void orv_key_poll()
{
    if (in_flight) {
        if (!machine_took_key() && ++waited < KEY_WAIT_POLLS)
            return;
        if (waited >= KEY_WAIT_POLLS)
            event_log("key not taken by the machine: given up");
        in_flight = false;
    }
    while (!queue.empty()) {
        key_event event = queue.front();
        queue.pop_front();
        if (deliver(event)) {
            in_flight = true;
            waited = 0;
            return;
        }
    }
}

void orv_key_down(int host_code)
{
    // Auto-repeat: a key-down while the last event of that key still
    // waiting is its press (no key-up since) is a repeat, and one is enough.
    for (auto event = queue.rbegin(); event != queue.rend(); ++event)
        if (event->host == host_code) {
            if (event->down)
                return;
            break;
        }
    add({host_code, true});
}

void orv_key_up(int host_code)
{
    add({host_code, false});
}

void orv_keys_lost()
{
    add({ANY_KEY, false});
}

int keys_waiting()
{
    return static_cast<int>(queue.size());
}

void keys_clear_state()
{
    queue.clear();
    in_flight = false;
    waited = 0;
    last_pressed = -1;
    shift = 0;
}
