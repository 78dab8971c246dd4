// Texts cut to fit the program's alerts, whose lines are drawn whole in an
// 8-pixel font across a 640-pixel window.
#pragma once

#include <string>
#include <vector>

constexpr size_t ALERT_LINE_CHARS = 72;

// The lines of `text` (split at newlines; empty lines dropped), each wrapped
// at blanks to at most `width` characters; a word longer than that is cut.
std::vector<std::string> alert_wrap(const std::string &text, size_t width = ALERT_LINE_CHARS);

// At most `count` lines of `text` wrapped for an alert; if more were needed,
// the last one shown ends in "...". Missing lines are empty.
std::vector<std::string> alert_lines(const std::string &text, size_t count, size_t width = ALERT_LINE_CHARS);
