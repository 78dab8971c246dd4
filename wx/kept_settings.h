// The program's settings kept between runs (frontend/settings.h): read once
// at start-up from wxOrvane.conf in the user's configuration directory,
// written when the user changes one.
//
// Two kinds of change. A choice the user makes (scale, speed, volume ...)
// is written at once. What the program remembers for the user (recent
// files, last directories, the state slot) is written too, except while the
// file as read was damaged or unreadable: that file is left exactly as it
// is until the user makes a choice, and what was remembered meanwhile goes
// into the file then.
#pragma once

#include "frontend/settings.h"

#include <string>

// Reads the file (at the path the environment gives, or `path` when not
// empty). Returns what to tell the user about it, once; "" when all is well.
std::string kept_settings_load(const std::string &path = "");

const settings &kept();
// A choice of the user's. Returns "" or why the file could not be written.
std::string kept_choose(const settings &s);
// Something remembered for the user. Returns "" or why the file could not
// be written.
std::string kept_remember(const settings &s);
// The file's path ("" when there is none to keep).
const std::string &kept_path();
