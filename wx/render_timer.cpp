#include "render_timer.h"

#include "pane.h"
#include "sound_ring.h"

#include "core/loop.h"

int vbl;

namespace {

constexpr int TICK_MS = 40;
constexpr int FRAMES_PER_SECOND = 50;
// Catch-up frames a tick may add to its two.
constexpr long MAX_EXTRA_FRAMES = 2;
// Further behind than this, the backlog is forgotten.
constexpr long MAX_BEHIND_FRAMES = 10;
// With this many sound blocks waiting (150 ms), a catch-up frame would only
// fill the ring further: the sound device sets the pace then.
constexpr int RING_HIGH_WATER = 6;
// With this many waiting, even a tick's own frame would find the ring full
// and its sound would be dropped: a device slower than the machine (SDL's
// disk writer plays 7960 samples a second) then holds the frame back.
constexpr int RING_FULL = 9;
// A device that has played nothing for this long is stalled: the machine
// no longer waits for it.
constexpr auto DEVICE_STALLED = std::chrono::milliseconds(500);

} // namespace

RenderTimer::RenderTimer(BasicDrawPane *pane) : pane_(pane)
{
}

void RenderTimer::start()
{
    base_ = rate_start_ = played_at_ = clock::now();
    base_frames_ = frames_run_ = 0;
    rate_frames_ = 0;
    Start(TICK_MS, wxTIMER_CONTINUOUS);
}

void RenderTimer::run_frame()
{
    int before = vblnum;
    orv_loop(0xFFFF);
    frames_run_++;
    if (vblnum != before)
        rate_frames_++;
}

bool RenderTimer::ring_holds(int blocks, clock::time_point now)
{
    if (!sound_is_on())
        return false;
    long played = acd->played.load(std::memory_order_relaxed);
    if (played != played_seen_) {
        played_seen_ = played;
        played_at_ = now;
    }
    return now - played_at_ < DEVICE_STALLED && acd_waiting(acd) >= blocks;
}

void RenderTimer::run_due_frames()
{
    auto now = clock::now();
    long due = base_frames_ +
               static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now - base_).count() *
                                 FRAMES_PER_SECOND / 1000);
    long behind = due - frames_run_;
    if (behind > MAX_BEHIND_FRAMES) {
        // Stalled: start counting again from here.
        base_ = now;
        base_frames_ = frames_run_;
        return;
    }
    for (long extra = 0; extra < MAX_EXTRA_FRAMES && frames_run_ < due; extra++) {
        if (ring_holds(RING_HIGH_WATER, now))
            break;
        run_frame();
    }
}

void RenderTimer::Notify()
{
    vbl++;
    auto now = clock::now();
    for (int i = 0; i < 2; i++)
        if (!ring_holds(RING_FULL, now))
            run_frame();
    run_due_frames();

    double seconds = std::chrono::duration<double>(now - rate_start_).count();
    if (seconds >= 1.0) {
        rate_ = rate_frames_ / seconds;
        rate_frames_ = 0;
        rate_start_ = now;
    }
    if (pane_)
        pane_->Refresh(true);
}
