#include "cassette.h"

#include "board.h"
#include "debug_hooks.h"
#include "state_hash.h"
#include "trace.h"

#include <climits>

k7_state k7_tape;
k7_recording K7_kept;

namespace {

// Bytes of one channel's sample; 0 when the description gives none.
int k7_sample_bytes(const k7_audio_spec &spec)
{
    switch (spec.format) {
    case K7_U8:
    case K7_S8: return 1;
    case K7_U16LSB:
    case K7_S16LSB: return 2;
    case K7_OTHER: return spec.sample_bytes >= 1 && spec.sample_bytes <= 8 ? spec.sample_bytes : 0;
    }
    return 0;
}

// Whether the first channel's sample at `where` lies wholly inside the data
// (a file may end in the middle of a sample frame).
bool k7_sample_at(uint32_t where)
{
    return where < K7_size && K7_size - where >= static_cast<uint32_t>(k7_sample_bytes(K7));
}

// The input bit follows the sign of the first channel's sample: set above
// the format's zero level, cleared at or below it. Signed 8-bit data counts
// zero as positive.
void k7_play_sample(const uint8_t *s)
{
    int level;
    switch (K7.format) {
    case K7_U8: level = s[0] > 128 ? 1 : 0; break;
    case K7_S8: level = (s[0] & 0x80) ? 0 : 1; break;
    case K7_U16LSB: level = (s[0] | (s[1] << 8)) > 0x8000 ? 1 : 0; break;
    case K7_S16LSB: level = static_cast<int16_t>(s[0] | (s[1] << 8)) > 0 ? 1 : 0; break;
    default: return;
    }
    board_cassette_in(level != 0);
}

void k7_arm()
{
    veld_timer_remove(K7_TIMER);
    veld_timer_create(K7_callback, 0, K7_TIMER, K7_period);
}

} // namespace

std::string K7_not_valid_text(const char *path)
{
    return std::string(path ? path : "") + " is not a valid WAV";
}

void K7_release()
{
    K7_buffer = nullptr;
    K7_size = 0;
}

const char *orv_K7_load_failed()
{
    K7_release();
    return K7_LOAD_ERROR;
}

const char *orv_load_K7(const k7_audio_spec &spec, const uint8_t *data, uint32_t size)
{
    K7_release();
    int sample_bytes = k7_sample_bytes(spec);
    if (spec.freq <= 0 || spec.channels <= 0 || spec.channels > 255 || sample_bytes == 0 ||
        size > static_cast<uint32_t>(INT_MAX) - 8 * 255 || (size && !data))
        return K7_LOAD_ERROR;

    K7 = spec;
    K7.sample_bytes = sample_bytes;
    K7_kept.present = true;
    K7_kept.spec = K7;
    K7_kept.data.assign(data, data + size);
    // One byte at least, so that an empty recording has a buffer too.
    K7_kept.data.reserve(1);
    const int32_t format[4] = {K7.freq, K7.format, K7.sample_bytes, K7.channels};
    uint8_t format_bytes[16];
    for (int i = 0; i < 16; i++)
        format_bytes[i] = static_cast<uint8_t>(static_cast<uint32_t>(format[i / 4]) >> (8 * (i % 4)));
    K7_kept.hash = orv_hash64(K7_kept.data.data(), size, orv_hash64(format_bytes, sizeof format_bytes));
    K7_buffer = K7_kept.data.data();
    K7_size = size;
    K7where = 0;
    // Truncated to whole cycles: 22050 Hz gives 111 cycles.
    K7_period = double2time(1.0 / spec.freq);
    k7_arm();
    orv_history_restart();  // the history cannot play the new tape from before it was loaded
    return nullptr;
}

bool K7_resume(uint64_t hash, uint32_t where)
{
    if (!K7_kept.present || K7_kept.hash != hash || where > K7_kept.data.size())
        return false;
    K7 = K7_kept.spec;
    K7_buffer = K7_kept.data.data();
    K7_size = static_cast<uint32_t>(K7_kept.data.size());
    K7where = static_cast<int>(where);
    K7_period = double2time(1.0 / K7.freq);
    return true;
}

void K7_callback(int)
{
    if (!K7_buffer)
        return;  // released, or a file that did not decode: the timer dies here
    uint32_t where = static_cast<uint32_t>(K7where);
    if (!k7_sample_at(where)) {
        K7_release();
        return;
    }
    k7_play_sample(K7_buffer + where);
    K7where += K7.sample_bytes * K7.channels;

    // The next sample is due one period after this moment, not after this
    // sample's due time: the lateness of every firing accumulates and the
    // tape plays a little slower than it was recorded.
    if (k7_sample_at(static_cast<uint32_t>(K7where)))
        k7_arm();
    else
        K7_release();  // the bit keeps the last sample's value
}

void K7_log_load()
{
    static trace_fn tf = {"K7 loading", 0};
    trace_enter(tf);
    TRACE_ALWAYS(tf, "Load K7");
}

void cassette_clear_state()
{
    K7_release();
    K7 = {};
    K7where = 0;
    K7_period = {0, 0};
    K7_kept = {};
}
