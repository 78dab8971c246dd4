// Speech and the one-bit sound: every block of 200 samples (25 ms at 8000 Hz,
// unsigned 8-bit mono) becomes one Allegro sample. Blocks are made at frame
// ends, in bursts; a feeder thread starts them on a steady 25 ms schedule so
// that each begins as the one before ends. A ring between the two keeps a
// sample that may still be playing from being overwritten.
//
// While the machine runs in real time, the sound paces it: a block handed in
// while the queue is full waits until the feeder has started one. The
// machine then makes exactly as many samples as are played, so every block
// plays at its own pitch and none is dropped. (Paced by the 50 Hz tick
// instead, it would make about 8,150 samples a second for the 8,000 played.)
// The 50 Hz tick paces the frames only while no sound comes: no sound
// driver, or no block for a few frames. At fastest speed nothing waits and
// the blocks beyond the ring are dropped.
//
// ORVANE_SOUND_STATS=1 in the environment prints, at exit, how regularly the
// blocks were started (the figure that decides whether gaps can be heard)
// and how many samples a second the machine made.
#include "app.h"

#include <allegro.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

constexpr int BLOCK = 200;
constexpr int RATE = 8000;
constexpr unsigned RING = 10;
// A block is written only when the one that used its slot was started at
// least three blocks ago, so it has finished playing.
constexpr unsigned MAX_QUEUED = RING - 3;
constexpr long BLOCK_NS = 25000000;  // 200 samples at 8000 Hz
constexpr unsigned RESERVE = 3;      // queued blocks needed to start after a pause
// While the sound paces the machine, a block waits at this many queued
// (100 ms ahead of what plays), for at most PACING_PATIENCE_MS.
constexpr unsigned QUEUE_FULL = RESERVE + 1;
constexpr int PACING_PATIENCE_MS = 500;
// Frames without a block after which the 50 Hz tick paces the machine again
// (a block comes every 1.2 frames while the speech clock runs).
constexpr int QUIET_FRAMES = 3;

SAMPLE *ring[RING];
bool sound_on;
std::atomic<unsigned> produced;  // blocks written (emulation thread)
std::atomic<unsigned> consumed;  // blocks started (feeder thread)
std::atomic<bool> stopping;
std::thread feeder;
bool pacing;                     // emulation thread only
unsigned produced_at_frame_end;
int quiet_frames = QUIET_FRAMES;

// Figures: the feeder's, read once it has ended; the emulation thread's.
struct sound_stats {
    long started, gaps, underruns, off_schedule;
    double sum_gap, min_gap = 1e9, max_gap, first, last;
} stats;
// The machine's rate is counted from the first block that had to wait (the
// queue full, the sound pacing from then on), or from the first block.
struct machine_stats {
    long made, dropped, waits, gave_up;
    long counted;        // blocks handed in since the count started
    double first, last;  // when the count started, when the last block came
} made_stats;

double to_ms(const timespec &t)
{
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

double now_ms()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return to_ms(t);
}

void advance(timespec &t, long ns)
{
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1000000000) {
        t.tv_nsec -= 1000000000;
        t.tv_sec++;
    }
}

// Starts each queued block when the one before has played out. With nothing
// queued it looks again every millisecond; after such a pause it waits for
// three blocks, so that a frame computed late does not starve it at once.
void feed()
{
    timespec due;
    clock_gettime(CLOCK_MONOTONIC, &due);
    bool playing = false;
    while (!stopping.load(std::memory_order_relaxed)) {
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
        unsigned c = consumed.load(std::memory_order_relaxed);
        unsigned queued = produced.load(std::memory_order_acquire) - c;
        if (queued == 0 || (!playing && queued < RESERVE)) {
            if (playing)
                stats.underruns++;
            playing = false;
            clock_gettime(CLOCK_MONOTONIC, &due);
            advance(due, 1000000);
            continue;
        }
        play_sample(ring[c % RING], 255, 128, 1000, 0);
        consumed.store(c + 1, std::memory_order_release);

        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        double t = to_ms(now);
        if (playing) {
            double gap = t - stats.last;
            stats.gaps++;
            stats.sum_gap += gap;
            stats.min_gap = gap < stats.min_gap ? gap : stats.min_gap;
            stats.max_gap = gap > stats.max_gap ? gap : stats.max_gap;
        } else {
            due = now;  // a new schedule from this block on
            if (!stats.started)
                stats.first = t;
        }
        // More than a millisecond behind the schedule (the thread woke
        // late): a gap one may hear. The schedule starts again from here
        // rather than catch up, which would play two blocks over each other.
        if (t - to_ms(due) > 1.0) {
            stats.off_schedule++;
            due = now;
        }
        stats.last = t;
        stats.started++;
        playing = true;
        advance(due, BLOCK_NS);
    }
}

unsigned queued_now(unsigned p)
{
    return p - consumed.load(std::memory_order_acquire);
}

// Sound pacing: waits until the queue has room for one more block.
void wait_for_room(unsigned p)
{
    if (queued_now(p) < QUEUE_FULL)
        return;
    if (!made_stats.waits++) {
        made_stats.first = now_ms();
        made_stats.counted = 0;
    }
    double give_up = now_ms() + PACING_PATIENCE_MS;
    while (queued_now(p) >= QUEUE_FULL) {
        // A request to quit is answered at the frame's end, without delay.
        if (app_close_asked() || now_ms() > give_up) {
            made_stats.gave_up++;
            return;
        }
        rest(1);
    }
}

} // namespace

void sound_init(bool driver)
{
    if (!driver)
        return;
    for (auto &s : ring) {
        s = create_sample(8, 0, RATE, BLOCK);
        if (!s)
            return;
        std::memset(s->data, 0x80, BLOCK);
    }
    feeder = std::thread(feed);
    sound_on = true;
    // However the program ends (a signal, a library shutdown), the feeder
    // stops before Allegro does: Allegro's own exit handler was registered
    // first, so it runs after this one.
    std::atexit(sound_shutdown);
}

void sound_block(const unsigned char *block, int length)
{
    if (!sound_on || length != BLOCK)
        return;
    unsigned p = produced.load(std::memory_order_relaxed);
    if (pacing)
        wait_for_room(p);
    if (queued_now(p) >= MAX_QUEUED) {
        made_stats.dropped++;  // fastest speed: far more sound than real time can play
        return;
    }
    std::memcpy(ring[p % RING]->data, block, BLOCK);
    produced.store(p + 1, std::memory_order_release);
    double t = now_ms();
    if (!made_stats.made++)
        made_stats.first = t;
    else
        made_stats.counted++;
    made_stats.last = t;
}

void sound_set_pacing(bool on)
{
    pacing = on && sound_on;
}

bool sound_paced_frame()
{
    unsigned p = produced.load(std::memory_order_relaxed);
    quiet_frames = p != produced_at_frame_end ? 0 : quiet_frames + 1;
    produced_at_frame_end = p;
    return pacing && quiet_frames < QUIET_FRAMES;
}

void sound_shutdown()
{
    if (!sound_on)
        return;
    stopping = true;
    feeder.join();
    sound_on = false;
    pacing = false;
    if (!std::getenv("ORVANE_SOUND_STATS"))
        return;
    double seconds = (made_stats.last - made_stats.first) / 1000;
    std::fprintf(stderr,
                 "orvane: sound: %ld blocks started over %.1f s; %ld back to back, %.3f ms apart on "
                 "average (min %.3f, max %.3f); %ld more than 1 ms late; %ld underruns; %ld dropped\n"
                 "orvane: sound: the machine made %ld blocks, %.0f samples a second over the last %.1f s; "
                 "%ld waits for the sound, %ld given up\n",
                 stats.started, (stats.last - stats.first) / 1000, stats.gaps,
                 stats.gaps ? stats.sum_gap / stats.gaps : 0.0, stats.gaps ? stats.min_gap : 0.0,
                 stats.max_gap, stats.off_schedule, stats.underruns, made_stats.dropped, made_stats.made,
                 seconds > 0 ? made_stats.counted * BLOCK / seconds : 0.0, seconds, made_stats.waits,
                 made_stats.gave_up);
}
