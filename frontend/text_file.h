// Reading the small text files the user keeps (settings, key maps) without
// surprises: only a regular file is read (a FIFO would block, a device
// never end), and only up to a size no such file comes near.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A file opened for reading only if it is a regular file of at most a given
// size (settings, key maps, tapes).
struct regular_file {
    int fd = -1;               // open when `why` is empty: the caller closes it
    uint64_t size = 0;         // the file's size, when it could be looked at
    bool not_regular = false;  // a directory is the system's EISDIR instead
    bool too_large = false;
    std::string why;           // the system's reason, "not a regular file" or "larger than N bytes"
};

// Opens `path` without waiting, so that a FIFO cannot hold the program up,
// then looks at what was opened, not at the name again.
regular_file open_regular_file(const std::string &path, uint64_t max_bytes);

// Reads the file at `path` into `text`. Returns an empty string, or why it
// was not read: the system's reason ("No such file or directory",
// "Permission denied"), "Is a directory", "is not a regular file", "is
// larger than N bytes", or "holds a NUL byte: not a text file".
std::string text_file_read(const std::string &path, size_t max_bytes, std::string &text);

// `s` without blanks, tabs and carriage returns at either end.
std::string text_trim(const std::string &s);

// One `KEY = VALUE` line of a text file (settings, key maps).
struct text_assignment {
    std::string where;  // "line N: ", the start of a message about it
    std::string key;    // trimmed
    std::string value;  // what follows the first '=', as it stands
    std::string raw;    // the line as written, less its CR (and a leading byte-order mark)
};

// Calls `each` with the `KEY = VALUE` lines of `text` in order. Blank lines
// and `#` comments are left out; a line without '=' goes to `errors` as
// "line N: no '=' (KEY = FORM)", `form` naming what the value is.
void text_assignments(const std::string &text, const char *form, std::vector<std::string> &errors,
                      const std::function<void(const text_assignment &)> &each);
