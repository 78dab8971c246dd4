#include "window_layout.h"

#include "frontend/title_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string tape_time_text(double seconds)
{
    long s = seconds > 0 ? static_cast<long>(std::floor(seconds)) : 0;
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::string window_title(const title_facts &f)
{
    bool tape = f.tape_now != tape_state::empty;
    std::string t = title_text(f.base, f.cartridge, tape ? f.tape : "");
    if (tape) {
        t.append(1, ' ').append(tape_time_text(f.tape_position)).append(1, '/').append(tape_time_text(f.tape_length));
        if (f.tape_now == tape_state::stopped)
            t += " stopped";
        else if (f.tape_now == tape_state::ended)
            t += " at the end";
    }
    std::string speed = f.speed_status;
    if (speed != "Paused" && f.percent >= 0) {
        char p[32];
        std::snprintf(p, sizeof p, "%.0f%%", f.percent);
        if (!speed.empty())
            speed += ' ';
        speed.append(p);
    }
    if (!speed.empty())
        t += " - " + speed;
    if (!f.message.empty())
        t += " - " + f.message;
    return t;
}

bool tape_time_parse(const std::string &text, double &seconds)
{
    size_t b = text.find_first_not_of(' '), e = text.find_last_not_of(' ');
    if (b == std::string::npos)
        return false;
    std::string t = text.substr(b, e - b + 1);
    double total = 0;
    int fields = 0;
    size_t at = 0;
    for (;;) {
        size_t colon = t.find(':', at);
        std::string part = t.substr(at, colon == std::string::npos ? std::string::npos : colon - at);
        bool last = colon == std::string::npos;
        // Whole digits, and a fraction only in the last field.
        if (part.empty() || part.find_first_not_of(last ? "0123456789." : "0123456789") != std::string::npos ||
            part.find('.') != part.rfind('.') || part == ".")
            return false;
        double v = std::strtod(part.c_str(), nullptr);
        if (fields > 0 && v >= 60)
            return false;
        total = total * 60 + v;
        if (++fields > 3)
            return false;
        if (last)
            break;
        at = colon + 1;
    }
    seconds = total;
    return true;
}
