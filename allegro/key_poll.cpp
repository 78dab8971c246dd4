#include "key_poll.h"

namespace {

bool scancode_ok(int scancode)
{
    return scancode >= 0 && scancode < KEY_POLL_SCANCODES;
}

} // namespace

bool key_poller::pressed(const key_poll_input &in, size_t i) const
{
    int sc = table_[i].scancode;
    return scancode_ok(sc) && in.pressed[sc].load(std::memory_order_acquire) != 0;
}

bool key_poller::down(const key_poll_input &in, size_t i) const
{
    int sc = table_[i].scancode;
    if (!scancode_ok(sc) || ignored_[sc])
        return false;
    return in.down[sc] || pressed(in, i);
}

// A key left out is taken again once it is up, or pressed anew.
void key_poller::forget_released(const key_poll_input &in)
{
    for (int sc = 0; sc < KEY_POLL_SCANCODES; sc++)
        if (ignored_[sc] && (!in.down[sc] || in.pressed[sc].load(std::memory_order_acquire)))
            ignored_[sc] = false;
}

int key_poller::first_down(const key_poll_input &in, size_t skip) const
{
    for (size_t i = 0; i < size_; i++)
        if (i != skip && down(in, i))
            return static_cast<int>(i);
    return -1;
}

void key_poller::send_entry(const key_poll_input &in, size_t i, void (*send)(unsigned char))
{
    const key_poll_entry &k = table_[i];
    in.pressed[k.scancode].store(0, std::memory_order_release);
    held_ = static_cast<int>(i);
    if (k.kind == KEY_SHIFT)
        shift_toggle_ = !shift_toggle_;
    send(shift_toggle_ && k.shifted_code ? k.shifted_code : k.code);
}

void key_poller::poll(const key_poll_input &in, void (*send)(unsigned char code))
{
    forget_released(in);
    if (in.machine_busy && waited_ < KEY_POLL_PATIENCE) {
        waited_++;
        return;
    }
    waited_ = 0;

    if (held_ >= 0) {
        size_t h = static_cast<size_t>(held_);
        int sc = table_[h].scancode;
        // Pressed again since its code went: it was released in between.
        bool again = pressed(in, h);
        if (!again && !ignored_[sc] && in.down[sc]) {
            if (table_[h].kind == KEY_PLAIN)
                return;
            // A modifier gives way to a key pressed while it is held, and
            // is not sent again until it has been released.
            int next = first_down(in, h);
            if (next < 0)
                return;
            ignored_[sc] = true;
            send_entry(in, static_cast<size_t>(next), send);
            return;
        }
        send(KEY_POLL_RELEASED);
        held_ = -1;
    }
    int next = first_down(in, size_);
    if (next >= 0)
        send_entry(in, static_cast<size_t>(next), send);
}

void key_poller::run_start(const key_poll_input &in)
{
    for (int sc = 0; sc < KEY_POLL_SCANCODES; sc++) {
        in.pressed[sc].store(0, std::memory_order_release);
        ignored_[sc] = in.down[sc] != 0;
    }
    waited_ = 0;
}
