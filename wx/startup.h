// Texts the program shows when it starts.
#pragma once

#include <string>

// What "Fatal error at init" tells when the firmware in `directory` cannot
// be loaded: the loader's `message`, naming the file that was looked for
// in that directory, and the system's reason it could not be read.
std::string firmware_failure_text(const std::string &directory, const char *message);
