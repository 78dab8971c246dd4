// Settings kept between runs: the values a user sets in a program (window
// scale, keyboard mode, speed, volume ...) and what it remembers for them
// (last directories, recent files, the state slot).
//
// Each program has a file of its own in the user's configuration
// directory: $XDG_CONFIG_HOME/orvane/ (when that variable holds an absolute
// path), else ~/.config/orvane/, named orvane.conf and wxOrvane.conf. Two
// files rather than one with a section each, so that the two programs
// running at once never write over each other's changes.
//
// The file is UTF-8 text, a setting a line:
//
//     # comments and blank lines are kept out of the values
//     scale = 2
//     fullscreen = no
//     recent_cartridge = /home/me/carts/game.rom
//     recent_cartridge = "/home/me/carts/name with trailing blank "
//
// A value runs from after the "=" to the end of the line, blanks at either
// end taken off; a value that needs them, or holds a double quote, a
// backslash or a control character, is written in double quotes with
// \", \\, \n, \r, \t and \xHH. Booleans are yes or no (true/false, on/off,
// 1/0 are read too). Lists (recent files) repeat their key, first line
// first. Keys the program does not know (a newer version's) are kept and
// written back as they were.
//
// The file is read once at start-up and written, through orv_replace_file
// (a new file put in the old one's place, never a link or a device), only
// when a setting has changed. A file that cannot be read, or holds lines
// that cannot be read, is reported once (`take_message`); what could be
// read applies, the rest keeps its default, and the file is left exactly as
// it is until the user changes a setting.
#pragma once

#include "recent.h"

#include <string>
#include <vector>

enum class keyboard_mode {
    positional,  // the program's own table, key by key (the default)
    character,   // the host character decides (char_keys.h)
};

enum class fast_forward_speed {
    x2,
    x4,
    unlimited,
};

// The speed as the settings file and the menus write it: "2x", "4x", "unlimited".
const char *fast_forward_speed_name(fast_forward_speed s);

struct settings {
    int scale = 2;                 // window: times 320 x 250, 1 to 4
    bool fullscreen = false;
    bool integer_scaling = false;  // fullscreen: whole multiples of the picture only
    keyboard_mode keyboard = keyboard_mode::positional;
    std::string key_map;           // key map file (key_map.h), "" for none
    fast_forward_speed fast_forward = fast_forward_speed::x4;
    int volume = 100;              // per cent, 0 to 100
    bool mute = false;
    bool fast_loading = true;      // full speed while the machine reads a tape
    std::string cartridge_dir;     // where the file dialogs last were
    std::string tape_dir;
    std::string state_dir;
    recent_list recent_cartridges;
    recent_list recent_tapes;
    int state_slot = 1;            // 1 to 9

    bool operator==(const settings &other) const = default;
};

// The configuration directory: $XDG_CONFIG_HOME/orvane or ~/.config/orvane;
// "" when neither variable gives one (and no home directory is known).
std::string settings_dir();
// The settings file of program `program` ("orvane", "wxOrvane"), or "".
std::string settings_path(const std::string &program);

// The file's text for a set of settings, with the unknown lines kept.
std::string settings_text(const settings &s, const std::vector<std::string> &kept);
// Reads settings from text; `errors` gets "line N: ..." for each line left
// out, `kept` the lines of keys not known here.
settings settings_parse(const std::string &text, std::vector<std::string> &errors, std::vector<std::string> &kept);

// No settings file comes near this: a larger one is not read.
constexpr size_t SETTINGS_MAX_BYTES = 1 << 20;

class settings_store {
public:
    // `path` "" keeps nothing: every setting has its default and save
    // writes nothing.
    explicit settings_store(std::string path) : path_(std::move(path)) {}

    // Reads the file. A missing file is no fault: the defaults apply.
    void load();
    const settings &get() const { return values_; }
    // The user changed settings: from now on save writes the file.
    void set(const settings &s);
    // Writes the file if a setting changed since it was read or last
    // written. Returns an empty string, or why it could not be written
    // (the settings stay as set, and the next save tries again).
    std::string save();

    // What to tell the user about the file as read, once: the first call
    // gives it, later calls "".
    std::string take_message();
    const std::string &path() const { return path_; }

private:
    std::string path_;
    settings values_;
    std::vector<std::string> kept_;
    std::string message_;
    bool changed_ = false;
};
