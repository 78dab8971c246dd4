#include "menus.h"

#include <wx/menu.h>

wxMenuBar *menus_create()
{
    auto *file = new wxMenu;
    file->Append(ID_LOAD_ROM, "&Load ROM", "Load a ROM");
    file->Append(ID_LOAD_K7, "&Load K7 (wav)", "Load a K7(wav)");
    file->Append(ID_CALL_DEBUG, "Call &Debugger", "Call the debugger");
    file->Append(ID_RESET, "&Reset", "Reset");
    file->Append(ID_SCREENSHOT, "&Screenshot\tF12", "Save the screen as orvane-NNN.png");
    file->AppendSeparator();
    file->Append(ID_SAVE_STATE, "Sa&ve state\tF5", "Save the machine's state to the current slot");
    file->Append(ID_LOAD_STATE, "Load s&tate\tF7", "Load the machine's state from the current slot");
    file->Append(ID_NEXT_SLOT, "&Next state slot\tF6", "Pick the next of the nine state slots");
    file->AppendSeparator();
    file->AppendSubMenu(new wxMenu, "Recent &cartridges", "Load a cartridge loaded before");
    file->AppendSubMenu(new wxMenu, "Recent ta&pes", "Load a tape loaded before");
    file->AppendSeparator();
    file->Append(wxID_EXIT, "E&xit\tAlt-X", "Quit this program");

    auto *speed = new wxMenu;
    speed->AppendCheckItem(ID_PAUSE, "&Pause\tF2", "Stop the machine, or let it run again");
    speed->AppendCheckItem(ID_FAST_FORWARD, "&Fast forward\tF3",
                           "Run faster than real time (tap F3 to switch, hold it to run fast while held)");
    speed->AppendSeparator();
    speed->AppendRadioItem(ID_SPEED_2X, "Fast forward &2x", "Fast forward at twice real time");
    speed->AppendRadioItem(ID_SPEED_4X, "Fast forward &4x", "Fast forward at four times real time");
    speed->AppendRadioItem(ID_SPEED_UNLIMITED, "Fast forward &unlimited", "Fast forward as fast as the computer goes");
    speed->AppendSeparator();
    speed->AppendCheckItem(ID_FAST_LOADING, "Fast &loading",
                           "Run at full speed, silently, while a tape plays");

    auto *view = new wxMenu;
    view->Append(ID_SCALE_UP, "&Bigger\tPgUp", "A bigger window, up to 4x");
    view->Append(ID_SCALE_DOWN, "&Smaller\tPgDn", "A smaller window, down to 1x");
    view->AppendSeparator();
    for (int n = 1; n <= 4; n++)
        view->AppendRadioItem(ID_SCALE_1 + n - 1, wxString::Format("Window &%dx (%d x %d)", n, 320 * n, 250 * n),
                              "The window's size");
    view->AppendSeparator();
    view->AppendCheckItem(ID_FULLSCREEN, "&Fullscreen\tF11", "The whole screen, or back to the window");
    view->AppendCheckItem(ID_INTEGER_SCALING, "&Integer scaling",
                          "Whole multiples of the picture's size only, every dot the same size");

    auto *tape = new wxMenu;
    tape->Append(ID_TAPE_LOAD, "&Load tape...", "Load a tape (a WAV file); it starts playing at once");
    tape->Append(ID_TAPE_PLAY, "&Play / stop\tEnd", "Play the tape from where it is, or stop it there");
    tape->Append(ID_TAPE_REWIND, "&Rewind\tF8", "Back to the tape's start");
    tape->Append(ID_TAPE_BACK, wxString::Format("&Back %d seconds", TAPE_STEP_SECONDS), "Move the tape back");
    tape->Append(ID_TAPE_FORWARD, wxString::Format("&Forward %d seconds", TAPE_STEP_SECONDS), "Move the tape on");
    tape->Append(ID_TAPE_SEEK, "&Go to...", "Move the tape to a time (minutes:seconds)");
    tape->Append(ID_TAPE_EJECT, "&Eject", "Take the tape out");

    auto *sound = new wxMenu;
    sound->Append(ID_VOLUME_UP, "Volume &up\tKP_ADD", "Louder, by 10%");
    sound->Append(ID_VOLUME_DOWN, "Volume &down\tKP_DIVIDE", "Softer, by 10%");
    sound->AppendCheckItem(ID_MUTE, "&Mute\tKP_MULTIPLY", "No sound, or sound again");

    auto *keyboard = new wxMenu;
    keyboard->AppendRadioItem(ID_KEYS_POSITIONAL, "&Positional", "Each host key is the machine key in its place");
    keyboard->AppendRadioItem(ID_KEYS_CHARACTER, "&Type what the key says",
                              "The character a host key types is typed on the machine, Shift included");
    keyboard->AppendSeparator();
    keyboard->Append(ID_PASTE, "P&aste\tInsert", "Type the clipboard's text into the machine");
    keyboard->AppendSeparator();
    keyboard->Append(ID_KEY_MAP, "&Key map...", "Remap host keys and the gamepad from a key map file");
    keyboard->Append(ID_KEY_MAP_NONE, "&No key map", "The keys as the program has them");

    auto *help = new wxMenu;
    help->Append(wxID_ABOUT, "&About...\tF1", "Show about dialog");
    help->Append(ID_KEY_LIST, "&Keys\tF9", "List every key of the window");

    auto *bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(speed, "&Speed");
    bar->Append(view, "&View");
    bar->Append(tape, "&Tape");
    bar->Append(sound, "S&ound");
    bar->Append(keyboard, "&Keyboard");
    bar->Append(help, "&Help");
    return bar;
}
