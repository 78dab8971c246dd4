#include "tape_deck.h"

#include "core/cassette.h"
#include "core/timers.h"

tape_load_result tape_load_file(const std::string &path, uint64_t max_bytes)
{
    tape_load_result result;
    wav_recording r;
    result.reason = wav_read_file(path, max_bytes, r, result.failure, result.file_bytes);
    if (result.reason.empty() &&
        orv_load_K7(r.spec, r.data.data(), static_cast<uint32_t>(r.data.size())) != nullptr) {
        result.failure = WAV_READ;
        result.reason = "the recording cannot be played";
    }
    if (!result.reason.empty()) {
        orv_K7_load_failed();
        return result;
    }
    result.loaded = true;
    if (r.spec.format == K7_OTHER)
        result.unplayable = wav_unplayable_samples(r);
    return result;
}

tape_load_result tape_deck::load(const std::string &path, uint64_t max_bytes)
{
    tape_load_result result = tape_load_file(path, max_bytes);
    held_ = false;
    held_at_ = 0;
    path_ = result.loaded ? path : "";
    hash_ = result.loaded ? K7_kept.hash : 0;
    return result;
}

void tape_deck::eject()
{
    K7_release();
    veld_timer_remove(K7_TIMER);
    path_.clear();
    hash_ = 0;
    held_ = false;
    held_at_ = 0;
}

tape_state tape_deck::state() const
{
    if (!K7_kept.present || K7_kept.hash != hash_ || path_.empty())
        return tape_state::empty;
    if (K7_buffer)
        return tape_state::playing;
    if (!held_ && position_bytes() + frame_bytes() > K7_kept.data.size())
        return tape_state::ended;
    return tape_state::stopped;
}

uint32_t tape_deck::frame_bytes() const
{
    uint32_t n = static_cast<uint32_t>(K7_kept.spec.sample_bytes) * static_cast<uint32_t>(K7_kept.spec.channels);
    return n ? n : 1;
}

uint32_t tape_deck::position_bytes() const
{
    uint32_t size = static_cast<uint32_t>(K7_kept.data.size());
    uint32_t at = !K7_buffer && held_ ? held_at_ : static_cast<uint32_t>(K7where < 0 ? 0 : K7where);
    return at > size ? size : at;
}

void tape_deck::stop()
{
    if (state() != tape_state::playing)
        return;
    held_at_ = position_bytes();
    held_ = true;
    K7_release();
    veld_timer_remove(K7_TIMER);
}

void tape_deck::play()
{
    tape_state now = state();
    if (now == tape_state::empty || now == tape_state::playing)
        return;
    uint32_t at = position_bytes();
    if (at + frame_bytes() > K7_kept.data.size())
        at = 0;  // at the end: from the beginning again
    if (!K7_resume(hash_, at))
        return;
    held_ = false;
    // The next sample one period from now, as a newly loaded tape starts.
    veld_timer_remove(K7_TIMER);
    veld_timer_create(K7_callback, 0, K7_TIMER, K7_period);
}

void tape_deck::seek(double seconds)
{
    if (state() == tape_state::empty)
        return;
    double frames = seconds * K7_kept.spec.freq;
    uint64_t total = K7_kept.data.size() / frame_bytes();
    uint64_t frame = frames <= 0 ? 0 : frames >= static_cast<double>(total) ? total : static_cast<uint64_t>(frames);
    uint32_t at = static_cast<uint32_t>(frame * frame_bytes());
    if (K7_buffer) {
        K7where = static_cast<int>(at);
    } else {
        held_at_ = at;
        held_ = true;
    }
}

double tape_deck::position() const
{
    if (state() == tape_state::empty)
        return 0;
    return static_cast<double>(position_bytes() / frame_bytes()) / K7_kept.spec.freq;
}

double tape_deck::length() const
{
    if (state() == tape_state::empty)
        return 0;
    return static_cast<double>(K7_kept.data.size() / frame_bytes()) / K7_kept.spec.freq;
}
