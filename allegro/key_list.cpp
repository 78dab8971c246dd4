#include "key_list.h"

namespace {

const key_help machine_keys[] = {
    {"A-Z, 0-9, - = .", "the machine's keys (- and = type 0, . types *)"},
    {"Enter Space Tab", "Enter, Space, Tab"},
    {"arrows Home", "cursor keys, Home"},
    {"Delete F4", "Delete (8), Escape of the machine (27)"},
    {"left Shift", "machine Shift; each press flips what 2 types (2 or \")"},
    {"Caps Lock, left Ctrl, Alt", "the machine's Caps Lock, Control, Alt"},
    {nullptr, "In the mode \"type what the key says\" (Esc, More...,"},
    {"", "Keyboard) the host character decides: . / - = and"},
    {"", "capitals come out as the host keyboard shows them;"},
    {"", "arrows, Home, F4, Caps Lock, Ctrl, Alt stay as above."},
    {"", "A key map file (More..., Keyboard) can change any key."},
};

const key_help emulator_keys[] = {
    {"Esc", "emulator menu: load a cartridge or a tape, debugger,"},
    {"", "speed, reset or power off, quit; its More... box"},
    {"", "holds the other settings"},
    {"F1 (hold)", "stops the machine and opens the debugger"},
    {"F2", "pause / resume"},
    {"F3", "fast-forward: tap to toggle, hold to run fast"},
    {"F5, F7", "saves the machine to the state slot, loads it back"},
    {"F6", "picks the next slot (1 to 9): files CARTRIDGE.st1 ..."},
    {"", "beside the cartridge, or orvane.st1 ... without one"},
    {"F8", "tape: rewind to the start"},
    {"F9", "this key list"},
    {"F11", "fullscreen / window"},
    {"F12", "saves the picture to the next free orvane-NNN.png"},
    {"Page Up, Page Down", "window scale up / down (1x to 4x of 320 x 250)"},
    {"Insert", "pastes the clipboard into the machine (again: stops)"},
    {"End", "tape: play / stop (the position is kept)"},
    {"keypad +", "volume up (by 10%)"},
    {"keypad -, keypad /", "volume down (by 10%)"},
    {"keypad *", "sound off / on"},
    {"Backspace (hold)", "steps back a second at a time (the last minute kept)"},
};

const key_help debugger_keys[] = {
    {"F7", "step"},
    {"F8", "step over"},
    {"B", "run to the address typed"},
    {"R", "reset"},
    {"C", "clear the log"},
    {"P", "who last wrote the address typed"},
    {"F4", "load a cartridge"},
    {"F9", "continue (the machine runs on)"},
    {"Esc", "quits the program (asks first)"},
    {"A, W", "add a breakpoint, a watchpoint (Break menu)"},
    {"L", "the list of breakpoints and watchpoints"},
    {"O", "step out of the subroutine"},
    {"U, N, H", "step back one, N, to the previous hit"},
    {"T", "trace to a file"},
    {"S", "load symbols"},
    {"D", "labelled disassembly on / off"},
};

template <int N>
constexpr int count(const key_help (&)[N])
{
    return N;
}

} // namespace

const key_help_group key_help_groups[] = {
    {"Keys while the machine runs", machine_keys, count(machine_keys)},
    {"Emulator keys", emulator_keys, count(emulator_keys)},
    {"Keys in the debugger", debugger_keys, count(debugger_keys)},
};
const int key_help_group_count = 3;

std::string key_list_columns(int column)
{
    std::string text;
    for (int g = 0; g < key_help_group_count; g++) {
        const key_help_group &group = key_help_groups[g];
        text += std::string(g ? "\n" : "") + group.title + ":\n";
        for (int i = 0; i < group.count; i++) {
            std::string keys = std::string("  ") + (group.keys[i].keys ? group.keys[i].keys : "");
            if (static_cast<int>(keys.size()) >= column) {
                text += keys + "\n";
                keys.clear();
            }
            keys.resize(static_cast<size_t>(column), ' ');
            text += keys + group.keys[i].action + "\n";
        }
    }
    return text;
}

std::string key_list_lines()
{
    std::string text;
    for (int g = 0; g < key_help_group_count; g++) {
        const key_help_group &group = key_help_groups[g];
        text += std::string(g ? "\n" : "") + group.title + "\n";
        for (int i = 0; i < group.count; i++) {
            const key_help &k = group.keys[i];
            if (!k.keys)
                text += std::string("\n\n") + k.action;
            else if (*k.keys)
                text += std::string("\n") + k.keys + ": " + k.action;
            else
                text += std::string(" ") + k.action;
        }
        text += "\n";
    }
    return text;
}
