#include "states.h"

#include "events.h"

#include "core/rewind.h"
#include "core/state.h"

#include <cstdio>

namespace {

constexpr int SLOTS = 9;
int slot = 1;
std::string cartridge;

// Rewind: the key is down; a step is owed for a press not yet served; ticks
// since the last step; steps taken since the key went down; no older state
// was left; rewinding (the machine waits).
bool held;
bool step_owed;
int ticks;
int steps;
bool exhausted;
bool active;

std::string slot_text()
{
    return "slot " + std::to_string(slot);
}

std::string megabytes(size_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}

// One step back, and what to say about it.
rewind_action step_back(std::string &message)
{
    if (exhausted)
        return REWIND_WAIT;
    if (!orv_rewind_back()) {
        exhausted = true;
        message = steps ? "rewind: " + std::to_string(steps) + " s back, no older state" : "rewind: no older state";
        event_log("rewind none older after %d", steps);
        return REWIND_WAIT;
    }
    steps++;
    message = "rewind: " + std::to_string(steps) + " s back (" + std::to_string(orv_rewind_count()) +
              " states kept, " + megabytes(orv_rewind_bytes()) + ")";
    event_log("rewind %d s back, %d states kept, %zu bytes", steps, orv_rewind_count(), orv_rewind_bytes());
    return REWIND_STEP;
}

} // namespace

void states_set_cartridge(const std::string &path)
{
    cartridge = path;
}

std::string states_save()
{
    std::string path = orv_state_slot_path(cartridge, slot);
    std::string error = orv_state_save_file(path);
    event_log("state %s %s", error.empty() ? "saved to" : "not saved to", path.c_str());
    return error.empty() ? "state saved to " + slot_text() + " (" + path + ")" : error;
}

std::string states_load(bool &loaded)
{
    std::string path = orv_state_slot_path(cartridge, slot);
    std::string note;
    std::string error = orv_state_load_file(path, note);
    loaded = error.empty();
    event_log("state %s %s", loaded ? "loaded from" : "not loaded from", path.c_str());
    if (!loaded)
        return error;
    return "state loaded from " + slot_text() + (note.empty() ? "" : ". " + note);
}

std::string states_next_slot()
{
    slot = slot % SLOTS + 1;
    std::string path = orv_state_slot_path(cartridge, slot);
    event_log("state slot %d", slot);
    return slot_text() + " (" + path + ")";
}

void rewind_key_down()
{
    // Auto-repeat brings more key-downs while the key stays down.
    if (held)
        return;
    held = true;
    step_owed = true;
}

void rewind_key_up()
{
    held = false;
}

rewind_action rewind_tick(std::string &message)
{
    if (!held && !step_owed) {
        if (!active)
            return REWIND_OFF;
        active = false;
        event_log("rewind ended");
        return REWIND_ENDED;
    }
    if (!active) {
        active = true;
        steps = 0;
        exhausted = false;
    }
    if (!step_owed && ++ticks < REWIND_STEP_TICKS)
        return REWIND_WAIT;
    step_owed = false;
    ticks = 0;
    return step_back(message);
}
