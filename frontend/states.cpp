#include "states.h"

#include "log.h"

#include "core/rewind.h"
#include "core/state.h"

#include <cstdio>

namespace {

std::string megabytes(size_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}

} // namespace

std::string state_slots::slot_text() const
{
    return "slot " + std::to_string(slot_);
}

std::string state_slots::path() const
{
    return orv_state_slot_path(cartridge_, slot_);
}

std::string state_slots::save()
{
    std::string p = path();
    std::string error = orv_state_save_file(p);
    fe_log("state %s %s", error.empty() ? "saved to" : "not saved to", p.c_str());
    return error.empty() ? "state saved to " + slot_text() + " (" + p + ")" : error;
}

std::string state_slots::load(bool &loaded)
{
    std::string p = path();
    std::string note;
    std::string error = orv_state_load_file(p, note);
    loaded = error.empty();
    fe_log("state %s %s", loaded ? "loaded from" : "not loaded from", p.c_str());
    if (!loaded)
        return error;
    return "state loaded from " + slot_text() + (note.empty() ? "" : ". " + note);
}

std::string state_slots::next_slot()
{
    slot_ = slot_ % SLOTS + 1;
    fe_log("state slot %d", slot_);
    return slot_text() + " (" + path() + ")";
}

bool rewind_step(int &steps, std::string &message)
{
    if (!orv_rewind_back()) {
        message = steps ? "rewind: " + std::to_string(steps) + " s back, no older state" : "rewind: no older state";
        fe_log("rewind none older after %d", steps);
        return false;
    }
    steps++;
    message = "rewind: " + std::to_string(steps) + " s back (" + std::to_string(orv_rewind_count()) +
              " states kept, " + megabytes(orv_rewind_bytes()) + ")";
    fe_log("rewind %d s back, %d states kept, %zu bytes", steps, orv_rewind_count(), orv_rewind_bytes());
    return true;
}

void rewind_control::key_down()
{
    // Auto-repeat brings more key-downs while the key stays down.
    if (held_)
        return;
    held_ = true;
    step_owed_ = true;
}

void rewind_control::key_up()
{
    held_ = false;
}

rewind_action rewind_control::tick(std::string &message)
{
    if (!held_ && !step_owed_) {
        if (!active_)
            return REWIND_OFF;
        active_ = false;
        fe_log("rewind ended");
        return REWIND_ENDED;
    }
    if (!active_) {
        active_ = true;
        steps_ = 0;
        exhausted_ = false;
    }
    if (!step_owed_ && ++ticks_ < REWIND_STEP_TICKS)
        return REWIND_WAIT;
    step_owed_ = false;
    ticks_ = 0;
    if (exhausted_)
        return REWIND_WAIT;
    if (!rewind_step(steps_, message)) {
        exhausted_ = true;
        return REWIND_WAIT;
    }
    return REWIND_STEP;
}
