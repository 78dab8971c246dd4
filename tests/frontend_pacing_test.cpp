// Speed decisions, the sound filter and the tape deck of the shared layer.
#include "test_support.h"

#include "core/cassette.h"
#include "core/timers.h"
#include "frontend/pacing.h"
#include "frontend/ring_target.h"
#include "frontend/sound_filter.h"
#include "frontend/tape_deck.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Frames a program runs over `seconds` of host time, asking at the start
// and then every 10 ms, with room for any number.
long frames_over(pacer &p, double seconds, long &run, int64_t &now)
{
    long before = run;
    run += p.frames_to_run(now, run, 1000);
    for (int64_t end = now + static_cast<int64_t>(seconds * 1000); now < end;) {
        now += 10;
        run += p.frames_to_run(now, run, 1000);
    }
    return run - before;
}

TEST(Pacing, FastForwardRunsTwiceOrFourTimesAsManyFramesAndPauseNone)
{
    pacer p;
    long run = 0;
    int64_t now = 1000;
    EXPECT_EQ(frames_over(p, 2, run, now), 100);
    p.set_fast_forward_speed(fast_forward_speed::x2);
    p.set_fast_forward_held(true);
    EXPECT_EQ(frames_over(p, 2, run, now), 200);
    p.set_fast_forward_held(false);
    p.set_fast_forward_speed(fast_forward_speed::x4);
    p.toggle_fast_forward();
    EXPECT_EQ(frames_over(p, 2, run, now), 400);
    EXPECT_EQ(p.status_text(), "Fast forward 4x");
    EXPECT_TRUE(p.sound_muted());
    p.toggle_pause();
    EXPECT_EQ(frames_over(p, 2, run, now), 0);
    EXPECT_EQ(p.status_text(), "Paused");
    p.toggle_pause();
    p.toggle_fast_forward();
    // Back at real time after a pause, no frame is owed for the pause.
    EXPECT_EQ(frames_over(p, 1, run, now), 50);
    EXPECT_FALSE(p.sound_muted());
    EXPECT_EQ(p.status_text(), "");
}

TEST(Pacing, AStalledHostSkipsTheTimeRatherThanRacing)
{
    pacer p;
    long run = 0;
    EXPECT_EQ(p.frames_to_run(0, run, 1000), 0);
    EXPECT_EQ(p.frames_to_run(100, run, 1000), 5);
    run += 5;
    // Two seconds without a tick: nothing is run for them.
    EXPECT_EQ(p.frames_to_run(2100, run, 1000), 0);
    EXPECT_EQ(p.frames_to_run(2140, run, 1000), 2);
    // A caller that can run only a few at a time gets at most that many.
    EXPECT_EQ(p.frames_to_run(2200, run, 3), 3);
}

TEST(Pacing, FastLoadingRunsUnlimitedOnlyWhileTheTapeIsRead)
{
    pacer p;
    p.set_tape_reading(true);
    EXPECT_TRUE(p.unlimited());
    EXPECT_EQ(p.frames_to_run(0, 0, 77), 77);
    EXPECT_EQ(p.status_text(), "Fast loading");
    EXPECT_TRUE(p.sound_muted());
    p.set_tape_reading(false);
    EXPECT_EQ(p.speed(), 1);
    p.set_tape_reading(true);
    p.set_fast_loading(false);
    EXPECT_EQ(p.speed(), 1);
    p.set_fast_loading(true);
    p.set_paused(true);
    EXPECT_EQ(p.speed(), 0);  // pause wins
}

TEST(Pacing, TheMeterGivesThePercentageOfRealTime)
{
    speed_meter m;
    m.restart(0);
    for (int i = 0; i < 100; i++)
        m.frame();
    m.update(999);
    EXPECT_EQ(m.percent(), 0);  // not a whole second yet
    m.update(1000);
    EXPECT_DOUBLE_EQ(m.percent(), 200);
}

TEST(SoundFilter, TheOutputSettlesToTheRestLevelAndStepsFade)
{
    sound_filter f;
    std::vector<unsigned char> block(200, 0x80);
    f.process(block.data(), 200);
    EXPECT_EQ(block, std::vector<unsigned char>(200, 0x80));
    // The machine's output drops to its resting level between phrases: the
    // step shows, then fades back to the middle.
    std::vector<unsigned char> rest(200, 0x31);
    for (int i = 0; i < 4; i++) {
        block = rest;
        f.process(block.data(), 200);
        if (i == 0) {
            EXPECT_LT(block[0], 0x80 - 70);
        }
    }
    for (unsigned char s : block)
        EXPECT_NEAR(s, 0x80, 1);
    // A tone around the resting level comes out around the middle, whole.
    for (int i = 0; i < 200; i++)
        block[i] = i % 2 ? 0x31 + 20 : 0x31 - 20;
    f.process(block.data(), 200);
    EXPECT_NEAR(block[198], 0x80 - 20, 2);
    EXPECT_NEAR(block[199], 0x80 + 20, 2);
}

TEST(SoundFilter, VolumeScalesAndMuteIsSilence)
{
    sound_filter f;
    std::vector<unsigned char> block(200);
    auto tone = [&] {
        for (int i = 0; i < 200; i++)
            block[i] = i % 2 ? 0xC0 : 0x40;
        f.process(block.data(), 200);
    };
    tone();
    tone();
    int full = block[199] - 0x80;
    EXPECT_GT(full, 50);
    f.set_volume(50);
    tone();
    EXPECT_NEAR(block[199] - 0x80, full / 2, 2);
    f.set_mute(true);
    tone();
    EXPECT_EQ(block, std::vector<unsigned char>(200, 0x80));
    f.set_volume(1000);
    EXPECT_EQ(f.volume(), 100);
}

using TapeDeckTest = CoreTest;

// An 8-bit tape of `n` samples alternating high and low.
std::string tape_file(int n)
{
    auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; i++)
            s += static_cast<char>(v >> (8 * i));
        return s;
    };
    std::string data;
    for (int i = 0; i < n; i++)
        data += static_cast<char>(i % 2 ? 0x20 : 0xE0);
    return "RIFF" + le(36 + n, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(1000, 4) + le(1000, 4) +
           le(1, 2) + le(8, 2) + "data" + le(n, 4) + data;
}

// The tape plays `n` samples, as its timer would.
void play_samples(int n)
{
    for (int i = 0; i < n; i++)
        K7_callback(0);
}

TEST_F(TapeDeckTest, StopKeepsThePositionAndPlayGoesOnFromIt)
{
    write_file("t.wav", tape_file(2000));
    tape_deck deck;
    EXPECT_EQ(deck.state(), tape_state::empty);
    ASSERT_TRUE(deck.load("t.wav").loaded);
    EXPECT_EQ(deck.state(), tape_state::playing);
    EXPECT_DOUBLE_EQ(deck.length(), 2.0);
    play_samples(500);
    EXPECT_DOUBLE_EQ(deck.position(), 0.5);
    deck.stop();
    EXPECT_EQ(deck.state(), tape_state::stopped);
    play_samples(100);  // a timer left over does nothing
    EXPECT_DOUBLE_EQ(deck.position(), 0.5);
    deck.play();
    EXPECT_EQ(deck.state(), tape_state::playing);
    EXPECT_EQ(K7where, 500);
    EXPECT_EQ(veld_timer_remove(K7_TIMER), 1);  // the tape's timer is armed again
    deck.seek(1.25);
    EXPECT_EQ(K7where, 1250);
    play_samples(750);
    EXPECT_EQ(deck.state(), tape_state::ended);
    EXPECT_DOUBLE_EQ(deck.position(), 2.0);
    deck.play();  // from the beginning again
    EXPECT_EQ(K7where, 0);
    deck.stop();
    deck.seek(99);
    EXPECT_DOUBLE_EQ(deck.position(), 2.0);
    deck.rewind();
    EXPECT_DOUBLE_EQ(deck.position(), 0.0);
    EXPECT_EQ(deck.state(), tape_state::stopped);
    deck.eject();
    EXPECT_EQ(deck.state(), tape_state::empty);
}

TEST_F(TapeDeckTest, AFileThatDoesNotLoadTakesTheTapeOut)
{
    write_file("t.wav", tape_file(100));
    write_file("bad.wav", "RIFF....WAVEjunk");
    tape_deck deck;
    ASSERT_TRUE(deck.load("t.wav").loaded);
    tape_load_result r = deck.load("bad.wav");
    EXPECT_FALSE(r.loaded);
    EXPECT_EQ(r.failure, WAV_READ);
    EXPECT_EQ(r.reason, "no format chunk");
    EXPECT_EQ(deck.state(), tape_state::empty);
    EXPECT_EQ(K7_buffer, nullptr);
    // A power cycle takes the tape out as well.
    ASSERT_TRUE(deck.load("t.wav").loaded);
    orv_clear_globals();
    EXPECT_EQ(deck.state(), tape_state::empty);
}

} // namespace

TEST(RingTarget, UnderrunsRaiseItCalmLowersItAndRelapsesLengthenTheCalm)
{
    ring_target t(1, 3, 10000, 40000);
    EXPECT_FALSE(t.update(5, 0));  // not counting yet: the ring filling at start
    t.start(5, 0);
    EXPECT_EQ(t.target(), 1);
    EXPECT_FALSE(t.update(5, 9000));
    EXPECT_TRUE(t.update(6, 9500));  // an underrun: a block more
    EXPECT_EQ(t.target(), 2);
    EXPECT_TRUE(t.update(8, 9600));
    EXPECT_FALSE(t.update(9, 9700));  // at the high end it stays
    EXPECT_EQ(t.target(), 3);
    EXPECT_FALSE(t.update(9, 19700));  // the calm counts from the last underrun
    EXPECT_TRUE(t.update(9, 19701));
    EXPECT_EQ(t.target(), 2);
    EXPECT_EQ(t.calm_ms(), 10000);
    // Dry again soon after the lowering: back up, and the next try waits twice as long.
    EXPECT_TRUE(t.update(10, 21000));
    EXPECT_EQ(t.target(), 3);
    EXPECT_EQ(t.calm_ms(), 20000);
    EXPECT_FALSE(t.update(10, 41000));
    EXPECT_TRUE(t.update(10, 41001));
    EXPECT_EQ(t.target(), 2);
    // A lowering that held for a whole calm stretch does not lengthen it.
    EXPECT_TRUE(t.update(10, 61002));
    EXPECT_EQ(t.target(), 1);
    EXPECT_TRUE(t.update(11, 81003 + 1000));
    EXPECT_EQ(t.calm_ms(), 20000);
    EXPECT_EQ(t.target(), 2);
    // Relapses lengthen it up to the cap only.
    long underruns = 11;
    for (int64_t at = 200000; at < 2000000; at += 100000) {
        EXPECT_TRUE(t.update(underruns, at));     // lowered after the calm ...
        EXPECT_TRUE(t.update(++underruns, at + 1));  // ... and dry at once
    }
    EXPECT_EQ(t.calm_ms(), 40000);
    // Stopped (a pause): underruns then are not the host's fault.
    t.stop();
    EXPECT_FALSE(t.update(1000, 3000000));
    EXPECT_FALSE(t.counting());
}
