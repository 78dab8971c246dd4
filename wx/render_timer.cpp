#include "render_timer.h"

#include "events.h"
#include "main_frame.h"
#include "pane.h"
#include "run_control.h"
#include "screen.h"
#include "sound_ring.h"
#include "states.h"
#include "tape.h"

#include "core/loop.h"
#include "core/rewind.h"

int vbl;

namespace {

constexpr int TICK_MS = 5;
// Frames a tick runs at most at real time and at 2x or 4x: a host that
// falls further behind skips the time (frontend/pacing.h restarts its count).
constexpr long MAX_REAL_TIME_FRAMES = 3;
constexpr long MAX_FAST_FRAMES = 12;
// Unlimited speed: the part of each tick spent running frames.
constexpr int UNLIMITED_BUDGET_MS = 30;
// At real time with sound, a frame (160 samples) runs while fewer samples
// than the target wait in the ring, the target counted in the device's
// calls (frontend/ring_target.h): one at first (100 samples: a frame runs
// when the ring has run empty, and the block it makes lasts two calls), so
// that the ring holds 0 to 25 ms of sound and a key is heard at once; a host
// too busy for that (the device found the ring empty) gets one more each
// time, up to RING_HIGH, and one less after RING_CALM without an underrun.
constexpr int RING_LOW = 1;
constexpr int RING_HIGH = 16;
constexpr int64_t RING_CALM_MS = 10000;
constexpr int64_t RING_MAX_CALM_MS = 160000;
// The rewind key's tick (frontend/states.h counts its steps in these).
constexpr auto REWIND_TICK = std::chrono::milliseconds(40);
// A device that has played nothing for this long is stalled: the machine
// no longer waits for it.
constexpr auto DEVICE_STALLED = std::chrono::milliseconds(500);

} // namespace

RenderTimer::RenderTimer(BasicDrawPane *pane)
    : pane_(pane), ring_target_(RING_LOW, RING_HIGH, RING_CALM_MS, RING_MAX_CALM_MS)
{
}

void RenderTimer::start()
{
    played_at_ = clock::now();
    frames_run_ = 0;
    meter_.restart(ms(played_at_));
    Start(TICK_MS, wxTIMER_CONTINUOUS);
}

void RenderTimer::fast_forward_key(bool down, bool lost)
{
    int64_t now = ms(clock::now());
    if (down)
        ff_key_.press(now, pace_);
    else if (lost)
        ff_key_.lost(pace_);
    else
        ff_key_.release(now, pace_);
}

void RenderTimer::run_frame()
{
    int64_t before = vblnum;
    if (run_one_frame() == ORV_STOP_FRAME)
        orv_rewind_frame();
    frames_run_++;
    if (vblnum != before)
        meter_.frame();
}

bool RenderTimer::rewinding(clock::time_point now)
{
    // The rewind key is served at its own pace, once every REWIND_TICK
    // (about four steps a second while it is held); between two of its
    // ticks the machine keeps doing what the last one said.
    if (now - rewind_ticked_ < REWIND_TICK)
        return rewind_active_;
    rewind_ticked_ = now;
    std::string message;
    rewind_action action = rewind_tick(message);
    rewind_active_ = action == REWIND_WAIT || action == REWIND_STEP;
    if (!message.empty())
        if (auto *frame = dynamic_cast<MyFrame *>(pane_ ? pane_->GetParent() : nullptr))
            frame->show_status(message);
    switch (action) {
    case REWIND_OFF:
        return false;
    case REWIND_ENDED:
        // The time spent rewinding is not owed as frames: the pacing
        // restarts its count when it sees the machine stand still.
        (void)now;
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

bool RenderTimer::device_playing(clock::time_point now)
{
    if (!sound_is_on())
        return false;
    long played = acd->played.load(std::memory_order_relaxed);
    if (played != played_seen_) {
        played_seen_ = played;
        played_at_ = now;
    }
    return now - played_at_ < DEVICE_STALLED;
}

void RenderTimer::run_real_time(clock::time_point now)
{
    // The wall clock's count goes on while the device sets the pace, so
    // that losing the device changes nothing abruptly.
    long due = pace_.frames_to_run(ms(now), frames_run_, MAX_REAL_TIME_FRAMES);
    if (!ring_target_.counting() && acd_waiting(acd) > 0)
        ring_target_.start(acd->underruns.load(std::memory_order_relaxed), ms(now));
    if (!device_playing(now)) {
        // No device, or one that has played nothing for a while (the ring
        // ran dry during a pause or a fast stretch): the clock, and one
        // frame to start the sound again. A ring that has just run empty
        // while the device plays is the target's to refill: the clock's
        // count, behind a device slower than it, would run frames ahead.
        if (sound_is_on() && due == 0 && acd_waiting(acd) == 0)
            due = 1;
        for (long i = 0; i < due && run_current() != RUN_STOPPED; i++)
            run_frame();
        return;
    }
    if (ring_target_.update(acd->underruns.load(std::memory_order_relaxed), ms(now)))
        event_log("sound ring target %d samples", ring_target_.target() * ACD_DEVICE_SAMPLES);
    for (long i = 0; i < MAX_REAL_TIME_FRAMES && acd_waiting_samples(acd) < ring_target_.target() * ACD_DEVICE_SAMPLES && run_current() != RUN_STOPPED; i++)
        run_frame();
}

void RenderTimer::Notify()
{
    vbl++;
    auto now = clock::now();
    if (run_current() == RUN_STOPPED) {
        // The debugger holds the machine: no frame, no rewind step.
        stopped_ = true;
        update_rate(now);
        return;
    }
    stopped_ = false;
    if (rewinding(now)) {
        pace_.frames_to_run(ms(now), frames_run_, 0);
        update_rate(now);
        return;
    }
    pace_.set_tape_reading(tape().reading());
    double speed = pace_.speed();
    if (speed != 1 && acd)
        // The ring runs dry on purpose while paused or fast: not the host's fault.
        ring_target_.stop();
    sound_set_held(pace_.sound_muted());
    if (speed == 0) {
        // Paused: the clock stands still with the machine.
        pace_.frames_to_run(ms(now), frames_run_, 0);
        update_rate(now);
        return;
    }
    if (speed == 1) {
        run_real_time(now);
    } else if (speed < PACING_UNLIMITED) {
        long due = pace_.frames_to_run(ms(now), frames_run_, MAX_FAST_FRAMES);
        for (long i = 0; i < due && run_current() != RUN_STOPPED; i++)
            run_frame();
    } else {
        auto end = now + std::chrono::milliseconds(UNLIMITED_BUDGET_MS);
        while (run_current() != RUN_STOPPED && clock::now() < end)
            run_frame();
        pace_.frames_to_run(ms(clock::now()), frames_run_, 0);
    }
    update_rate(clock::now());
    // Repainted once for the frames of a tick, and not at all without one.
    if (pane_ && vblnum != shown_frame_) {
        shown_frame_ = vblnum;
        pane_->Refresh(true);
    }
}

void RenderTimer::update_rate(clock::time_point now)
{
    meter_.update(ms(now));
}

int64_t RenderTimer::ms(clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}
