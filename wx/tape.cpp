#include "tape.h"

#include "core/cassette.h"

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
    if (tape().state() != tape_state::playing)
        return false;
    position = tape().position();
    length = tape().length();
    return true;
}
