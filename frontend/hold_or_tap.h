// A key that does one thing when tapped and another while held, such as the
// fast-forward key: a tap (down and up within TAP_MS) toggles, a longer
// press acts only while the key is down. The host's auto-repeat (more
// key-downs without a key-up) is one press.
#pragma once

#include <cstdint>

class hold_or_tap {
public:
    static constexpr int64_t TAP_MS = 300;

    // The key went down at `now_ms`. True for a new press, false for a repeat.
    bool down(int64_t now_ms);
    // The key came up at `now_ms`. True when the press was a tap; false for
    // a hold, or a key-up without its key-down (the press began elsewhere).
    bool up(int64_t now_ms);
    bool held() const { return down_; }

private:
    bool down_ = false;
    int64_t since_ = 0;
};
