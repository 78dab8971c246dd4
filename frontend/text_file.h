// Reading the small text files the user keeps (settings, key maps) without
// surprises: only a regular file is read (a FIFO would block, a device
// never end), and only up to a size no such file comes near.
#pragma once

#include <cstddef>
#include <string>

// Reads the file at `path` into `text`. Returns an empty string, or why it
// was not read: the system's reason ("No such file or directory",
// "Permission denied"), "Is a directory", "is not a regular file", "is
// larger than N bytes", or "holds a NUL byte: not a text file".
std::string text_file_read(const std::string &path, size_t max_bytes, std::string &text);
