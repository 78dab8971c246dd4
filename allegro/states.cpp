// Save states and rewind in the window. F5 saves the machine to the current
// slot, F7 loads it back, F6 picks the next slot (1 to 9); the slots are
// files beside the cartridge image (orvane.st1 ... in the current directory
// without one). Holding Backspace steps back one emulated second at a time
// through the states the core keeps of the last minute. Every message goes
// to the window's title.
#include "app.h"

#include <allegro.h>
#undef TRACE

#include "core/rewind.h"
#include "core/state.h"

#include <cstdio>

namespace {

constexpr int SLOTS = 9;
int slot = 1;
bool f5_was_down, f6_was_down, f7_was_down;

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

void save_state()
{
    std::string path = orv_state_slot_path(app_cartridge, slot);
    std::string error = orv_state_save_file(path);
    screen_set_title_message(error.empty() ? "state saved to " + slot_text() + " (" + path + ")" : error);
}

void load_state()
{
    std::string path = orv_state_slot_path(app_cartridge, slot);
    std::string note;
    std::string error = orv_state_load_file(path, note);
    if (!error.empty()) {
        screen_set_title_message(error);
        return;
    }
    screen_show_frame();
    screen_set_title_message("state loaded from " + slot_text() + (note.empty() ? "" : ". " + note));
}

// Backspace held: one step back at once, then one every quarter of a second
// while the key stays down. The machine waits meanwhile and runs on from the
// last state when the key comes up.
void rewind_while_held()
{
    int seconds = 0;
    while (key[KEY_BACKSPACE]) {
        app_quit_if_asked();
        if (!orv_rewind_back()) {
            screen_set_title_message(seconds ? "rewind: " + std::to_string(seconds) + " s back, no older state"
                                             : "rewind: no older state");
            app_wait_release(KEY_BACKSPACE);
            break;
        }
        seconds++;
        screen_show_frame();
        screen_set_title_message("rewind: " + std::to_string(seconds) + " s back (" +
                                 std::to_string(orv_rewind_count()) + " states kept, " +
                                 megabytes(orv_rewind_bytes()) + ")");
        for (int waited = 0; waited < 25 && key[KEY_BACKSPACE]; waited++)
            rest(10);
    }
    pacing_restart();
}

bool pressed(int scancode, bool &was_down)
{
    bool down = key[scancode];
    bool now = down && !was_down;
    was_down = down;
    return now;
}

} // namespace

void states_frame_end()
{
    orv_rewind_frame();
    if (pressed(KEY_F5, f5_was_down))
        save_state();
    if (pressed(KEY_F6, f6_was_down)) {
        slot = slot % SLOTS + 1;
        screen_set_title_message(slot_text() + " (" + orv_state_slot_path(app_cartridge, slot) + ")");
    }
    if (pressed(KEY_F7, f7_was_down))
        load_state();
    if (key[KEY_BACKSPACE])
        rewind_while_held();
}
