// Screenshots: the picture as orvane-000.png, orvane-001.png ... in the
// current directory, each under the first name that nothing holds yet (a
// file, a link, even a dangling one, a directory or a device): a screenshot
// never replaces anything.
#pragma once

#include "core/tms3556.h"

#include <string>

// Writes `picture` at twice its size under the next free name, which goes
// to `name`. Returns an empty string, or what went wrong.
std::string screenshot_save(const tms3556_picture &picture, std::string &name);

// The next free name in `directory` ("" for the current one), or "" when
// orvane-000.png to orvane-999.png are all taken.
std::string screenshot_free_name(const std::string &directory);
