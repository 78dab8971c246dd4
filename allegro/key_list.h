// Every key of the program, in one table: --help prints it and F9 shows it
// in the window, so the two cannot differ.
#pragma once

#include <string>

struct key_help {
    // The keys; "" for a line that goes on with the one before, null for
    // the first line of a note of its own.
    const char *keys;
    const char *action;
};

struct key_help_group {
    const char *title;
    const key_help *keys;
    int count;
};

extern const key_help_group key_help_groups[];
extern const int key_help_group_count;

// The table as columns for a terminal: each group's title, then a line per
// key, its names padded to `column` characters (longer names take a line of
// their own).
std::string key_list_columns(int column);
// The table for a narrow window: "KEYS: action", a blank line between groups.
std::string key_list_lines();
