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
#include "frontend/settings.h"
#include "frontend/states.h"

namespace {

state_slots slots;
bool f5_was_down, f6_was_down, f7_was_down;

void save_state()
{
    slots.set_cartridge(app_cartridge);
    screen_set_title_message(slots.save());
}

void load_state()
{
    slots.set_cartridge(app_cartridge);
    bool loaded = false;
    std::string message = slots.load(loaded);
    if (loaded)
        screen_show_frame();
    screen_set_title_message(message);
}

// Backspace held: one step back at once, then one every quarter of a second
// while the key stays down. The machine waits meanwhile and runs on from the
// last state when the key comes up.
void rewind_while_held()
{
    int steps = 0;
    std::string message;
    while (key[KEY_BACKSPACE]) {
        app_quit_if_asked();
        if (!rewind_step(steps, message)) {
            screen_set_title_message(message);
            app_wait_release(KEY_BACKSPACE);
            break;
        }
        screen_show_frame();
        screen_set_title_message(message);
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

void states_init()
{
    slots.set_slot(prefs().state_slot);
}

void states_frame_end()
{
    orv_rewind_frame();
    states_keys();
}

void states_keys()
{
    if (pressed(KEY_F5, f5_was_down))
        save_state();
    if (pressed(KEY_F6, f6_was_down)) {
        slots.set_cartridge(app_cartridge);
        screen_set_title_message(slots.next_slot());
        settings s = prefs();
        s.state_slot = slots.slot();
        prefs_set(s);
    }
    if (pressed(KEY_F7, f7_was_down))
        load_state();
    if (key[KEY_BACKSPACE])
        rewind_while_held();
}
