// Writing the files the user asks for, under one rule for whatever already
// stands at the name:
// - nothing, or a regular file: the bytes go to a new temporary file in the
//   same directory, which is renamed over the name only once complete. A
//   failed write leaves the old file as it was.
// - a character device or a FIFO (/dev/null, /dev/full, a pipe another
//   program reads): opened as it is and written straight into, never
//   created, truncated or replaced. /dev/full gives "No space left on
//   device"; a FIFO waits for its reader as a shell redirection does.
// - a symbolic link: refused, neither followed nor replaced.
// - anything else (a directory, a socket, a block device): refused.
// Reasons are the operating system's ("No such file or directory") or, for
// a refusal, what the name is ("Is a directory", "Is a symbolic link", "Is a
// socket", "Is a block device").
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Writes `size` bytes at `data` to `path`. Returns an empty string, or why
// the file could not be written.
std::string orv_replace_file(const std::string &path, const void *data, size_t size);

// What stands at `path`, before anything is written: an empty string when it
// may be written, with `into` true for a device or FIFO (written straight
// into), false for a missing name or a regular file (replaced); else the
// reason it is refused.
std::string orv_output_check(const std::string &path, bool &into);

// An output written piece by piece (a sound file that grows with the run,
// whose header is filled in at the end), under the same rule. The pieces go
// to a temporary file: beside a regular file, or an unnamed one when the
// target is a device or FIFO, whose bytes are copied into it at the end.
// `f` may be written, flushed and sought directly.
struct orv_output {
    std::string path;   // the name asked for
    std::string temp;   // the temporary file beside it, or "" (unnamed)
    FILE *f = nullptr;  // open between begin and commit or discard
    bool into = false;  // the target is a device or FIFO
    int error = 0;      // errno of the first failed write
};
// Each returns an empty string or the reason, as above.
std::string orv_output_begin(orv_output &o, const std::string &path);
bool orv_output_write(orv_output &o, const void *data, size_t size);
std::string orv_output_commit(orv_output &o);  // closes it and puts the bytes in place
void orv_output_discard(orv_output &o);        // closes it; nothing reaches the target

// True when two names reach the same file: the same inode for existing
// files, else the same directory and name.
bool orv_same_file(const std::string &a, const std::string &b);
