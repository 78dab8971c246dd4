// The main window's menu bar: File and Help as the program always had
// them (File gained Screenshot, the state slots and the recent files), and
// the menus of the window's settings: Speed, View, Tape, Sound, Keyboard.
// The keys shown beside the entries are served by the panel first (so that
// they work in fullscreen, without the menu bar), the menu's accelerator
// otherwise.
#pragma once

class wxMenuBar;

enum menu_id {
    ID_LOAD_ROM = 6000,
    ID_CALL_DEBUG = 6001,
    ID_RESET = 6002,
    ID_LOAD_K7 = 6003,
    ID_SCREENSHOT = 6004,
    ID_SAVE_STATE = 6005,
    ID_LOAD_STATE = 6006,
    ID_NEXT_SLOT = 6007,

    ID_PAUSE = 6200,
    ID_FAST_FORWARD,
    ID_SPEED_2X,
    ID_SPEED_4X,
    ID_SPEED_UNLIMITED,
    ID_FAST_LOADING,

    ID_SCALE_UP,
    ID_SCALE_DOWN,
    ID_SCALE_1,  // to ID_SCALE_1 + 3: 4x
    ID_FULLSCREEN = ID_SCALE_1 + 4,
    ID_INTEGER_SCALING,

    ID_TAPE_LOAD,
    ID_TAPE_PLAY,
    ID_TAPE_REWIND,
    ID_TAPE_BACK,
    ID_TAPE_FORWARD,
    ID_TAPE_SEEK,
    ID_TAPE_EJECT,

    ID_VOLUME_UP,
    ID_VOLUME_DOWN,
    ID_MUTE,

    ID_KEYS_POSITIONAL,
    ID_KEYS_CHARACTER,
    ID_PASTE,
    ID_KEY_MAP,
    ID_KEY_MAP_NONE,

    ID_KEY_LIST,

    ID_RECENT_CARTRIDGE,  // to ID_RECENT_CARTRIDGE + 9
    ID_RECENT_TAPE = ID_RECENT_CARTRIDGE + 10,  // to ID_RECENT_TAPE + 9
    ID_RECENT_END = ID_RECENT_TAPE + 10,
};

// Seconds the tape's Back and Forward entries move it.
constexpr int TAPE_STEP_SECONDS = 10;

// The menu bar, with empty Recent submenus.
wxMenuBar *menus_create();
