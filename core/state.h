// Save states: the whole machine to a file of our own and back, exactly.
//
// A state holds every chip's state, the cartridge area and the hashes of the
// firmware images it ran with; a tape in play is named by its hash and
// position. docs/state-format.md describes the file.
//
// Loading reads and checks the whole file before it changes anything: a
// file that is damaged, of another format, made with other firmware or
// holding a value the machine cannot have is refused with its reason, and
// the machine runs on as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The format written. Version 1 (the frame count in 32 bits) is still read.
constexpr uint32_t ORV_STATE_VERSION = 2;
constexpr uint32_t ORV_STATE_OLDEST_VERSION = 1;
// No state comes near this; a longer file is refused unread.
constexpr size_t ORV_STATE_MAX_BYTES = 1 << 22;

// The machine as it stands, as the bytes of a state file.
std::vector<uint8_t> orv_state_save();

// Loads a state from its bytes. Returns "" when it was loaded, or why it was
// not (the machine is then unchanged). `note` gets what the user should
// know about a loaded state (the tape stopped, the cartridge replaced), or "".
std::string orv_state_load(const uint8_t *data, size_t size, std::string &note);

// The same with files. Saving writes a new file beside the old one and then
// puts it in its place, so a failed save leaves the old file whole.
std::string orv_state_save_file(const std::string &path);
std::string orv_state_load_file(const std::string &path, std::string &note);

// The section tags of the file, in file order, and a hash of each section's
// bytes in a state (empty when the bytes are not a well-formed state):
// what tests compare to find which chip differs between two states.
struct orv_state_section_hash {
    std::string tag;
    uint64_t hash;
};
std::vector<orv_state_section_hash> orv_state_section_hashes(const std::vector<uint8_t> &state);

// The numbered slot files the programs save to: "<base>.st<n>" beside the
// cartridge image, or "orvane.st<n>" in the current directory when no
// cartridge was loaded. `cartridge` is the image's path or "".
std::string orv_state_slot_path(const std::string &cartridge, int slot);

// Every global of the core and where it stands: a section tag when states
// carry it, or why it is not machine state (the trace facility, the host
// hooks, the debugger's views, constant tables, caches). Names are as the
// linker shows them, "*" standing for any text. A test compares this list
// with the core library's data symbols: a new global must be placed here.
struct orv_global_place {
    const char *name;
    const char *place;
};
extern const orv_global_place orv_global_places[];
extern const int orv_global_place_count;
