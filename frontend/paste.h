// Pasting text into the machine: the text is typed through the character
// mode (char_keys.h), one character at a time, at a pace the machine keeps
// up with. A character goes into the key queue only once the queue has
// handed every code before it to the machine and the machine has taken it,
// and `gap` key polls have passed since (the firmware's own key buffer then
// has time to empty as well): no key is lost, however long the text.
//
// "\r\n" and a lone "\r" count as one Return. Characters the machine lacks
// are left out and counted, so that the program can say so.
//
// Driven from the key poll, before the key queue's own poll:
//     paste.poll(keys);
//     keys.poll();
#pragma once

#include "key_queue.h"

#include <cstddef>
#include <deque>
#include <string>

class paste_queue {
public:
    explicit paste_queue(int gap = 1) : gap_(gap) {}

    // Adds UTF-8 text after what is still to type. Returns how many of its
    // characters the machine lacks (left out).
    size_t add(const std::string &utf8);

    void poll(key_queue &keys);

    bool active() const { return !left_.empty(); }
    size_t left() const { return left_.size(); }
    // Characters typed and left out since the queue was last empty.
    size_t typed() const { return typed_; }
    size_t skipped() const { return skipped_; }
    void cancel();

private:
    int gap_;
    int waited_ = 0;
    std::deque<char32_t> left_;
    size_t typed_ = 0, skipped_ = 0;
};
