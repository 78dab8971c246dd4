#include "sound_ring.h"

#include "frontend/sound_onset.h"

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>

audio_ring *acd;

namespace {

bool sound_on;
sound_filter shaping;
bool held;

// Onsets, written by the audio thread only; `onset_count` published last.
constexpr int ONSETS_KEPT = 64;
sound_onset onset_finder;
std::atomic<int64_t> onset_times[ONSETS_KEPT];
std::atomic<int64_t> onset_samples[ONSETS_KEPT];
// Samples handed to the device since it opened (the stream's clock).
std::atomic<int64_t> device_samples;
std::atomic<long> onset_count;

void note_onset(const unsigned char *samples, int n)
{
    int at = onset_finder.feed(samples, n);
    if (at < 0)
        return;
    auto now = std::chrono::system_clock::now().time_since_epoch();
    int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() + at * 1000 / 8000;
    long count = onset_count.load(std::memory_order_relaxed);
    onset_times[count % ONSETS_KEPT].store(ms, std::memory_order_relaxed);
    onset_samples[count % ONSETS_KEPT].store(device_samples.load(std::memory_order_relaxed) + at,
                                             std::memory_order_relaxed);
    onset_count.store(count + 1, std::memory_order_release);
}

// A block is waiting while its play position lies in [0, block_size).
bool acd_unplayed(int pos, int block_size)
{
    return pos >= 0 && pos < block_size;
}

} // namespace

audio_ring *acd_create()
{
    auto *ring = new (std::nothrow) audio_ring;
    if (!ring)
        return nullptr;
    ring->block_size = ACD_BLOCK_SIZE;
    for (int i = 0; i < ACD_BLOCKS; i++) {
        ring->block_ptr[i] = static_cast<unsigned char *>(std::calloc(ACD_BLOCK_SIZE + 1, 1));
        ring->play_pos[i].store(-1, std::memory_order_relaxed);
    }
    for (auto *block : ring->block_ptr) {
        if (!block) {
            acd_free(ring);
            return nullptr;
        }
    }
    ring->play_index.store(0, std::memory_order_relaxed);
    ring->write_index.store(0, std::memory_order_relaxed);
    ring->played.store(0, std::memory_order_relaxed);
    ring->underruns.store(0, std::memory_order_relaxed);
    ring->dropped.store(0, std::memory_order_relaxed);
    return ring;
}

void acd_free(audio_ring *ring)
{
    if (!ring)
        return;
    for (auto *block : ring->block_ptr)
        std::free(block);
    delete ring;
}

void audiocallback(void *userdata, unsigned char *stream, int len)
{
    // SDL 2 hands over the stream as it was: start from silence.
    std::memset(stream, 0x80, static_cast<size_t>(len));
    // The stream's clock moves on after this callback's samples.
    struct advance {
        int len;
        ~advance() { device_samples.fetch_add(len, std::memory_order_relaxed); }
    } advance_clock{len};
    auto *ring = static_cast<audio_ring *>(userdata);
    if (!ring)
        return;
    int index = ring->play_index.load(std::memory_order_relaxed);
    int pos = ring->play_pos[index].load(std::memory_order_acquire);
    if (!acd_unplayed(pos, ring->block_size)) {
        // Nothing ready: this callback plays silence.
        if (ring->played.load(std::memory_order_relaxed) > 0)
            ring->underruns.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    int n = len < ring->block_size - pos ? len : ring->block_size - pos;
    // Take the bytes out of the ring here, in this program's code, where
    // thread checkers see the read; then mix them at full volume.
    unsigned char chunk[ACD_BLOCK_SIZE];
    std::memcpy(chunk, ring->block_ptr[index] + pos, static_cast<size_t>(n));
    SDL_MixAudio(stream, chunk, static_cast<Uint32>(n), SDL_MIX_MAXVOLUME);
    note_onset(chunk, n);
    pos += n;
    // Release: the producer may refill the block once it sees it played.
    ring->play_pos[index].store(pos, std::memory_order_release);
    if (pos >= ring->block_size) {
        ring->play_index.store((index + 1) % ACD_BLOCKS, std::memory_order_relaxed);
        ring->played.fetch_add(1, std::memory_order_relaxed);
    }
}

sound_filter &sound_shaping()
{
    return shaping;
}

void sound_set_held(bool h)
{
    held = h;
}

bool sound_held()
{
    return held;
}

long sound_onsets(long seen, int64_t *times, int64_t *samples, int max)
{
    long count = onset_count.load(std::memory_order_acquire);
    long from = seen > count - ONSETS_KEPT ? seen : count - ONSETS_KEPT;
    for (long i = from < 0 ? 0 : from; i < count && i - from < max; i++) {
        times[i - from] = onset_times[i % ONSETS_KEPT].load(std::memory_order_relaxed);
        samples[i - from] = onset_samples[i % ONSETS_KEPT].load(std::memory_order_relaxed);
    }
    return count;
}

int64_t sound_device_samples()
{
    return device_samples.load(std::memory_order_relaxed);
}

void acd_sound_block(const unsigned char *machine_block, int length)
{
    audio_ring *ring = acd;
    if (!ring)
        return;
    // The filter follows the machine's sound even when it is not played, so
    // that playing again starts from the settled level.
    unsigned char block[ACD_BLOCK_SIZE];
    int n = length < ACD_BLOCK_SIZE ? length : ACD_BLOCK_SIZE;
    std::memcpy(block, machine_block, static_cast<size_t>(n));
    shaping.process(block, n);
    if (held)
        return;
    int index = ring->write_index.load(std::memory_order_relaxed);
    // The ring is full when the next block to fill has not been played to
    // its end: the audio thread may be reading it. Writing it would tear the
    // block being heard and play the ring out of order, so the new block is
    // dropped instead; the pacing keeps this rare.
    if (acd_unplayed(ring->play_pos[index].load(std::memory_order_acquire), ring->block_size)) {
        ring->dropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    std::memcpy(ring->block_ptr[index], block, static_cast<size_t>(n));
    if (n < ring->block_size)
        std::memset(ring->block_ptr[index] + n, 0x80, static_cast<size_t>(ring->block_size - n));
    // Publish: the bytes above happen before the audio thread's reads.
    ring->play_pos[index].store(0, std::memory_order_release);
    ring->write_index.store((index + 1) % ACD_BLOCKS, std::memory_order_relaxed);
}

int acd_waiting(const audio_ring *ring)
{
    if (!ring)
        return 0;
    int waiting = 0;
    for (const auto &pos : ring->play_pos)
        if (acd_unplayed(pos.load(std::memory_order_relaxed), ring->block_size))
            waiting++;
    return waiting;
}

int acd_waiting_samples(const audio_ring *ring)
{
    if (!ring)
        return 0;
    int waiting = 0;
    for (const auto &p : ring->play_pos) {
        int pos = p.load(std::memory_order_relaxed);
        if (acd_unplayed(pos, ring->block_size))
            waiting += ring->block_size - pos;
    }
    return waiting;
}

std::string sound_open(bool &init_failed)
{
    init_failed = false;
    // SDL would turn SIGINT and SIGTERM into quit events this program never
    // reads: leave the signals to their default action.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) < 0) {
        init_failed = true;
        return std::string("unable to init SDL: ") + SDL_GetError() + "\n";
    }
    acd = acd_create();

    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.freq = 8000;
    wanted.format = AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = ACD_DEVICE_SAMPLES;
    wanted.callback = audiocallback;
    wanted.userdata = acd;
    // No obtained spec: SDL converts to whatever the device wants, and the
    // callback really gets 8000 Hz unsigned 8-bit mono.
    if (SDL_OpenAudio(&wanted, nullptr) < 0)
        return std::string("Error ") + SDL_GetError() + " opening the audio.\n";
    SDL_PauseAudio(0);
    sound_on = true;
    return "";
}

void sound_close()
{
    if (sound_on)
        SDL_CloseAudio();
    sound_on = false;
    SDL_Quit();
    acd_free(acd);
    acd = nullptr;
}

bool sound_is_on()
{
    return sound_on;
}
