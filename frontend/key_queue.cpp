#include "key_queue.h"

#include "log.h"

#include "core/iocpu.h"

bool key_machine_took_code()
{
    if (tms7041.flags & KEY_PENDING)
        return false;
    return !(tms7041.command == IO_REPORT_KEY && tms7041.byte_index < 2);
}

bool key_queue::add(event e)
{
    if (events_.size() >= max_events_) {
        fe_log("key queue full: %s %d dropped", e.down ? "press" : "release", e.host);
        return false;
    }
    events_.push_back(std::move(e));
    return true;
}

void key_queue::key_down(int host)
{
    // Auto-repeat: a key-down while the last waiting event of that key is
    // its press (no key-up since) is a repeat, and one is enough.
    for (auto e = events_.rbegin(); e != events_.rend(); ++e)
        if (e->host == host) {
            if (e->down)
                return;
            break;
        }
    if (events_.size() >= max_events_) {
        add({host, true, {}});  // says it is dropped
        return;
    }
    std::vector<unsigned char> codes;
    if (translator_)
        translator_->press(host, codes);
    if (!codes.empty())
        last_pressed_ = host;
    add({host, true, std::move(codes)});
}

void key_queue::key_up(int host)
{
    if (events_.size() >= max_events_) {
        add({host, false, {}});
        return;
    }
    std::vector<unsigned char> codes;
    if (last_pressed_ >= 0 && (host == KEY_HOST_ANY || host == last_pressed_)) {
        codes.push_back(KEY_RELEASE_CODE);
        last_pressed_ = -1;
    }
    add({host, false, std::move(codes)});
}

void key_queue::keys_lost()
{
    key_up(KEY_HOST_ANY);
}

void key_queue::push_code(unsigned char code)
{
    add({KEY_HOST_NONE, true, {code}});
}

void key_queue::push_sequence(const std::vector<unsigned char> &codes)
{
    if (codes.empty() || !add({KEY_HOST_NONE, true, codes}))
        return;
    if (codes.back() == KEY_RELEASE_CODE)
        last_pressed_ = -1;
}

void key_queue::send(unsigned char code)
{
    send_key(code);
    fe_log("key %d", code);
    in_flight_ = true;
    waited_ = 0;
}

void key_queue::poll()
{
    if (in_flight_) {
        if (!key_machine_took_code() && ++waited_ < patience_)
            return;
        if (waited_ >= patience_)
            fe_log("key not taken by the machine: given up");
        in_flight_ = false;
    }
    while (sending_.empty() && !events_.empty()) {
        event e = std::move(events_.front());
        events_.pop_front();
        sending_.assign(e.codes.begin(), e.codes.end());
    }
    if (sending_.empty())
        return;
    unsigned char code = sending_.front();
    sending_.pop_front();
    send(code);
}

bool key_queue::busy() const
{
    if (in_flight_ && waited_ < patience_ && !key_machine_took_code())
        return true;
    if (!sending_.empty())
        return true;
    for (const event &e : events_)
        if (!e.codes.empty())
            return true;
    return false;
}

void key_queue::clear()
{
    events_.clear();
    sending_.clear();
    in_flight_ = false;
    waited_ = 0;
    last_pressed_ = -1;
    if (translator_)
        translator_->reset();
}
