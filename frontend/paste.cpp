#include "paste.h"

#include "char_keys.h"

#include <vector>

size_t paste_queue::add(const std::string &utf8)
{
    if (left_.empty())
        typed_ = skipped_ = 0;
    size_t lacking = 0;
    std::vector<unsigned char> codes;
    for (size_t at = 0; at < utf8.size();) {
        char32_t c = utf8_next(utf8, at);
        if (c == '\r') {
            if (at < utf8.size() && utf8[at] == '\n')
                at++;
            c = '\n';
        }
        codes.clear();
        if (!char_key_codes(c, codes)) {
            lacking++;
            continue;
        }
        left_.push_back(c);
    }
    skipped_ += lacking;
    return lacking;
}

void paste_queue::poll(key_queue &keys)
{
    if (left_.empty())
        return;
    if (keys.busy()) {
        waited_ = 0;
        return;
    }
    if (waited_ < gap_) {
        waited_++;
        return;
    }
    waited_ = 0;
    std::vector<unsigned char> codes;
    char_key_codes(left_.front(), codes);
    left_.pop_front();
    keys.push_sequence(codes);
    typed_++;
}

void paste_queue::cancel()
{
    left_.clear();
    waited_ = 0;
}
