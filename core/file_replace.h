// Writing a file so that nothing is lost on the way: the bytes go to a new
// temporary file in the same directory, which is renamed over the name only
// once complete. A failed write leaves the old file as it was, and a
// symbolic link of that name is replaced, never followed.
#pragma once

#include <cstddef>
#include <string>

// Returns an empty string, or why the file could not be written (the
// operating system's reason).
std::string orv_replace_file(const std::string &path, const void *data, size_t size);

// True when two names reach the same file: the same inode for existing
// files, else the same directory and name.
bool orv_same_file(const std::string &a, const std::string &b);
