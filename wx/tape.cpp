#include "tape.h"

#include "core/cassette.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

tape_deck &tape()
{
    static tape_deck deck;
    return deck;
}

std::string tape_load(const std::string &path, std::string &warning)
{
    warning.clear();
    tape_load_result r = tape().load(path);
    if (!r.loaded)
        return K7_not_valid_text(path.c_str());
    K7_log_load();
    if (!r.unplayable.empty())
        warning = path + ": samples of this format play without reaching the cassette input; use 8 or 16 bits";
    return "";
}

bool tape_position(double &position, double &length)
{
    if (!tape().loaded())
        return false;
    position = tape().position();
    length = tape().length();
    return true;
}

std::string tape_time_text(double seconds)
{
    long s = seconds > 0 ? static_cast<long>(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::string tape_status_text()
{
    double position, length;
    if (!tape_position(position, length))
        return "";
    std::string times = tape_time_text(position) + "/" + tape_time_text(length);
    switch (tape().state()) {
    case tape_state::playing: return "Tape " + times;
    case tape_state::stopped: return "Tape stopped " + times;
    case tape_state::ended: return "Tape at its end " + times;
    case tape_state::empty: break;
    }
    return "";
}

bool tape_time_parse(const std::string &text, double &seconds)
{
    const char *p = text.c_str();
    while (*p == ' ')
        p++;
    char *end;
    double minutes = 0;
    double value = std::strtod(p, &end);
    if (end == p || value < 0 || std::isnan(value) || std::isinf(value))
        return false;
    if (*end == ':') {
        if (value != std::floor(value))
            return false;
        minutes = value;
        p = end + 1;
        value = std::strtod(p, &end);
        if (end == p || value < 0 || value >= 60 || !std::isfinite(value))
            return false;
    }
    while (*end == ' ')
        end++;
    if (*end)
        return false;
    seconds = minutes * 60 + value;
    return true;
}
