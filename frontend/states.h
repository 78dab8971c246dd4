// Save-state slots and the rewind, as both programs offer them.
//
// Slots: nine numbered files beside the cartridge image ("CARTRIDGE.st1"
// ... "CARTRIDGE.st9", the image's name without its extension), or
// "orvane.st1" ... in the current directory without a cartridge
// (orv_state_slot_path, core/state.h). Saving writes the machine to the
// current slot, loading puts it back, the next slot goes 1, 2 ... 9, 1.
// Each command returns the text the program shows (title or status bar):
//     "state saved to slot 1 (game.st1)", the reason a save failed,
//     "state loaded from slot 1", with the state's note after ". ",
//     the reason a load failed (the machine then runs on unchanged),
//     "slot 2 (game.st2)".
//
// Rewind: the core keeps a state per emulated second for the last minute
// (core/rewind.h); holding the rewind key steps back through them one
// second at a time, the machine waiting meanwhile, and the machine runs on
// from there when the key comes up. `rewind_control` is the key as a timer
// serves it tick by tick (wxOrvane's 40 ms render timer); `rewind_step` is
// one step, for a program that runs its own loop while the key is held
// (orvane). Both say where they are:
//     "rewind: 2 s back (58 states kept, 3.1 MB)",
//     "rewind: 3 s back, no older state", "rewind: no older state".
#pragma once

#include <string>

class state_slots {
public:
    static constexpr int SLOTS = 9;

    // The cartridge image now loaded ("" for none): the slots are named after it.
    void set_cartridge(const std::string &path) { cartridge_ = path; }
    const std::string &cartridge() const { return cartridge_; }

    int slot() const { return slot_; }
    // Out of 1 to 9: slot 1.
    void set_slot(int n) { slot_ = n >= 1 && n <= SLOTS ? n : 1; }
    std::string path() const;

    std::string save();
    // On success the machine and its picture are those of the state (the
    // caller shows the picture); on failure the machine runs on unchanged
    // and the text says why.
    std::string load(bool &loaded);
    std::string next_slot();

private:
    std::string slot_text() const;

    std::string cartridge_;
    int slot_ = 1;
};

// One step back. `steps` counts the steps of this rewind (0 before the
// first) and goes up by one on success; false, with the machine unchanged,
// when no older state is kept. `message` gets the text to show either way.
bool rewind_step(int &steps, std::string &message);

// What the render timer does in a tick.
enum rewind_action {
    REWIND_OFF,    // run frames as usual
    REWIND_WAIT,   // rewinding: run no frame
    REWIND_STEP,   // rewinding: stepped back, run no frame and show the picture
    REWIND_ENDED,  // the key came up: run frames again, from a fresh pace
};

// The rewind key served tick by tick: a press always gives one step back,
// however short; a held key steps again every `REWIND_STEP_TICKS` ticks.
class rewind_control {
public:
    // The rewind key went down (its auto-repeat included) or up.
    void key_down();
    void key_up();
    // Called once a tick before any frame runs; `message` gets the text
    // to show when there is a new one.
    rewind_action tick(std::string &message);

private:
    bool held_ = false;       // the key is down
    bool step_owed_ = false;  // a press not yet served
    int ticks_ = 0;           // since the last step
    int steps_ = 0;           // since the key went down
    bool exhausted_ = false;  // no older state was left
    bool active_ = false;     // rewinding: the machine waits
};

// One step every this many 40 ms ticks (about four a second) while the
// key is held.
constexpr int REWIND_STEP_TICKS = 6;
