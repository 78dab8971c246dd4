#include "render_timer.h"

#include "main_frame.h"
#include "pane.h"
#include "run_control.h"
#include "screen.h"
#include "sound_ring.h"
#include "states.h"

#include "core/loop.h"
#include "core/rewind.h"


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
    int64_t before = vblnum;
    if (run_one_frame() == ORV_STOP_FRAME)
        orv_rewind_frame();
    frames_run_++;
    if (vblnum != before)
        rate_frames_++;
}

bool RenderTimer::rewinding(clock::time_point now)
{
    std::string message;
    rewind_action action = rewind_tick(message);
    if (!message.empty())
        if (auto *frame = dynamic_cast<MyFrame *>(pane_ ? pane_->GetParent() : nullptr))
            frame->show_status(message);
    switch (action) {
    case REWIND_OFF:
        return false;
    case REWIND_ENDED:
        // The time spent rewinding is not owed as frames.
        base_ = now;
        base_frames_ = frames_run_;
        return false;
    case REWIND_STEP:
        screen_frame_ready();
        if (pane_)
            pane_->Refresh(true);
        return true;
    case REWIND_WAIT:
        return true;
    }
    return true;
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
        if (run_current() == RUN_STOPPED || ring_holds(RING_HIGH_WATER, now))
            break;
        run_frame();
    }
}

void RenderTimer::Notify()
{
    vbl++;
    auto now = clock::now();
    if (run_current() == RUN_STOPPED) {
        // The debugger holds the machine: no frame, no rewind step. The
        // time it stays stopped is not owed as frames afterwards.
        stopped_ = true;
        update_rate(now);
        return;
    }
    if (stopped_) {
        stopped_ = false;
        base_ = now;
        base_frames_ = frames_run_;
    }
    if (rewinding(now)) {
        update_rate(now);
        return;
    }
    for (int i = 0; i < 2; i++)
        if (run_current() != RUN_STOPPED && !ring_holds(RING_FULL, now))
            run_frame();
    run_due_frames();
    update_rate(now);
    if (pane_)
        pane_->Refresh(true);
}

void RenderTimer::update_rate(clock::time_point now)
{
    double seconds = std::chrono::duration<double>(now - rate_start_).count();
    if (seconds >= 1.0) {
        rate_ = rate_frames_ / seconds;
        rate_frames_ = 0;
        rate_start_ = now;
    }
}
