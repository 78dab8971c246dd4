#include "ring_target.h"

void ring_target::start(long underruns, int64_t now_ms)
{
    counting_ = true;
    seen_ = underruns;
    since_ = now_ms;
}

bool ring_target::update(long underruns, int64_t now_ms)
{
    if (!counting_)
        return false;
    if (underruns != seen_) {
        seen_ = underruns;
        since_ = now_ms;
        // The lower target did not hold for a calm stretch: wait longer
        // before trying it again.
        if (lowered_at_ != INT64_MIN && now_ms - lowered_at_ < calm_)
            calm_ = calm_ * 2 < max_calm_ ? calm_ * 2 : max_calm_;
        lowered_at_ = INT64_MIN;
        if (target_ >= high_)
            return false;
        target_++;
        return true;
    }
    if (now_ms - since_ <= calm_ || target_ <= low_)
        return false;
    target_--;
    since_ = now_ms;
    lowered_at_ = now_ms;
    return true;
}
