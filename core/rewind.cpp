#include "rewind.h"

#include "state.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace {

// Oldest first. Each entry is a whole state file's bytes.
std::deque<std::vector<uint8_t>> rewind_states;
// Frames run since the newest state was taken.
int rewind_since;

} // namespace

void orv_rewind_frame()
{
    if (!rewind_states.empty() && ++rewind_since < ORV_REWIND_FRAMES)
        return;
    if (rewind_states.size() == static_cast<size_t>(ORV_REWIND_STATES))
        rewind_states.pop_front();
    rewind_states.push_back(orv_state_save());
    // The bytes grew in steps while the state was written: keep only the state.
    rewind_states.back().shrink_to_fit();
    rewind_since = 0;
}

bool orv_rewind_back()
{
    // A state taken at the present is no step back.
    size_t newest = rewind_states.size();
    if (newest && rewind_since == 0)
        newest--;
    if (!newest)
        return false;
    std::string note;
    if (!orv_state_load(rewind_states[newest - 1].data(), rewind_states[newest - 1].size(), note).empty())
        return false;
    rewind_states.resize(newest);
    rewind_since = 0;
    return true;
}

int orv_rewind_count() { return static_cast<int>(rewind_states.size()); }

size_t orv_rewind_bytes()
{
    size_t bytes = 0;
    for (const auto &s : rewind_states)
        bytes += s.capacity();
    return bytes;
}

void orv_rewind_clear()
{
    rewind_states.clear();
    rewind_since = 0;
}
