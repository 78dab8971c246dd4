// The machine's parts in one table: for each, what it does at program start
// (clear: every global back to its start value), at a warm reset, and which
// section of a state file carries it. orv_clear_globals, orv_reset, the
// state image and the state file's sections all go through this table, in
// its order; adding a part to the machine adds one row (and its record in
// the state image, state_image.h).
#pragma once

struct orv_state_image;
class state_fields;

struct orv_component {
    const char *name;
    void (*clear)();  // program start
    void (*reset)();  // warm reset (orv_reset), in table order; null: a reset leaves it
    // State file: the section's tag (null: not carried), its fields, and the
    // copy between the machine and the image (`put` false: machine to image).
    const char *section;
    void (*fields)(state_fields &f, orv_state_image &m);
    void (*image)(orv_state_image &m, bool put);
};

extern const orv_component orv_components[];
extern const int orv_component_count;
