// Key map files: the user's remapping of host keys and gamepad inputs to
// machine key codes, over the program's own table.
//
// The file is UTF-8 text, one mapping a line:
//
//     # Lines starting with # are comments; blank lines are skipped.
//     F2 = 27                # the machine's Escape (decimal code)
//     Period = 0x2E          # a code in hexadecimal
//     Minus = "-"            # the keys that type this character
//     LeftShift = 134        # the machine's Shift
//     Pause = none           # the key does nothing on the machine
//     Pad.Button1 = 32       # a gamepad button
//     Pad.Up = 128
//
// The left side is a host key name (host_keys.h, any case). The right side
// is one to eight machine codes (0 to 255, decimal or 0x hexadecimal,
// separated by blanks or commas), or one character in double quotes (the
// codes the character mode gives it, char_keys.h), or "none". A key that
// goes down sends its codes in order; its release sends the release code
// (4), as a key of the program's table does. A later line for the same key
// replaces an earlier one. A "#" after the value starts a comment.
//
// A line that cannot be read is named in the errors ("line 3: ...") and
// left out; the other lines apply.
#pragma once

#include "key_queue.h"

#include <map>
#include <string>
#include <vector>

// Files larger than this are refused unread: no key map comes near it.
constexpr size_t KEY_MAP_MAX_BYTES = 1 << 16;

struct key_map {
    // Host key or gamepad input (host_keys.h) -> the codes it sends when it
    // goes down; an empty list: the key does nothing.
    std::map<int, std::vector<unsigned char>> keys;

    // The entry of `key`, or null when the map leaves it to the program.
    const std::vector<unsigned char> *find(int key) const;
};

// Reads a key map from its text. `errors` gets one line for each line left out.
key_map key_map_parse(const std::string &text, std::vector<std::string> &errors);

// Reads the file at `path`. Returns an empty string, or why it could not be
// read at all (the map is then empty); `errors` as above.
std::string key_map_load(const std::string &path, key_map &map, std::vector<std::string> &errors);

// What the gamepad sends where the key map does not say: the directions
// are the arrow keys (Up 128, Down 130, Left 131, Right 129), button 1 is
// Space (32), button 2 is Return (13); other buttons send nothing.
void pad_default_codes(int input, std::vector<unsigned char> &codes);

// A translator for the key queue with the key map over the program's own
// table: a host key event of the queue is a host key (host_keys.h) or a
// gamepad input. `own_key` turns the program's code back into the key
// the map names; `fallback` translates what the map leaves alone (the
// program's table, by its own codes). Gamepad inputs the map leaves alone
// send their defaults.
//
// The queue's host numbers are then: the program's own key codes, below
// PAD_UP; gamepad inputs, from PAD_UP on.
class key_map_translator : public key_translator {
public:
    key_map_translator(const key_map *map, key_translator *fallback, int (*own_key)(int program_code))
        : map_(map), fallback_(fallback), own_key_(own_key)
    {
    }
    void set_map(const key_map *map) { map_ = map; }
    void press(int host, std::vector<unsigned char> &codes) override;
    void reset() override;

private:
    const key_map *map_;
    key_translator *fallback_;
    int (*own_key_)(int program_code);
};
