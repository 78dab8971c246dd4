#include "pacing.h"

#include <cmath>

void frame_clock::restart(int64_t now_ms, long frames_run)
{
    base_ms_ = now_ms;
    base_frames_ = frames_run;
}

long frame_clock::due(int64_t now_ms) const
{
    int64_t elapsed = now_ms - base_ms_;
    if (elapsed <= 0)
        return base_frames_;
    // Whole milliseconds times the rate: at 50 a second a frame every 20 ms.
    return base_frames_ + static_cast<long>(std::floor(static_cast<double>(elapsed) * fps_ / 1000.0 + 1e-9));
}

void speed_meter::restart(int64_t now_ms)
{
    start_ms_ = now_ms;
    frames_ = 0;
}

void speed_meter::update(int64_t now_ms)
{
    int64_t elapsed = now_ms - start_ms_;
    if (elapsed < 1000)
        return;
    rate_ = frames_ * 1000.0 / static_cast<double>(elapsed);
    frames_ = 0;
    start_ms_ = now_ms;
}

double pacer::speed() const
{
    if (paused_)
        return 0;
    double s = 1;
    if (fast_forward()) {
        switch (ff_speed_) {
        case fast_forward_speed::x2: s = 2; break;
        case fast_forward_speed::x4: s = 4; break;
        case fast_forward_speed::unlimited: s = PACING_UNLIMITED; break;
        }
    }
    if (loading_fast())
        s = PACING_UNLIMITED;
    return s;
}

bool pacer::loading_fast() const
{
    return !paused_ && fast_loading_ && tape_reading_;
}

long pacer::frames_to_run(int64_t now_ms, long frames_run, long most)
{
    double s = speed();
    if (s != clock_speed_) {
        clock_speed_ = s;
        clock_.set_rate(s * PACING_FRAMES_PER_SECOND);
        clock_.restart(now_ms, frames_run);
    }
    if (s == 0)
        return 0;
    if (s >= PACING_UNLIMITED)
        return most;
    long behind = clock_.due(now_ms) - frames_run;
    // More than a fifth of a second behind (the host stalled: a dialog, a
    // long debugger command): that time is skipped, not raced through.
    if (behind > static_cast<long>(clock_.rate() / 5)) {
        clock_.restart(now_ms, frames_run);
        return 0;
    }
    if (behind <= 0)
        return 0;
    return behind < most ? behind : most;
}

std::string pacer::status_text() const
{
    if (paused_)
        return "Paused";
    if (fast_forward() && !(loading_fast() && ff_speed_ != fast_forward_speed::unlimited)) {
        switch (ff_speed_) {
        case fast_forward_speed::x2: return "Fast forward 2x";
        case fast_forward_speed::x4: return "Fast forward 4x";
        case fast_forward_speed::unlimited: return "Fast forward";
        }
    }
    if (loading_fast())
        return "Fast loading";
    return "";
}
