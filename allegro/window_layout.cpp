#include "window_layout.h"

#include "core/tms3556.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

picture_place picture_fit(int screen_w, int screen_h, bool whole)
{
    const int pw = TMS3556_WIDTH, ph = TMS3556_HEIGHT;
    int w, h;
    if (whole) {
        int k = std::min(screen_w / pw, screen_h / ph);
        if (k < 1)
            k = 1;
        w = k * pw;
        h = k * ph;
    } else if (static_cast<long>(screen_w) * ph <= static_cast<long>(screen_h) * pw) {
        // The width decides: the borders are above and below.
        w = screen_w;
        h = static_cast<int>(static_cast<long>(screen_w) * ph / pw);
    } else {
        h = screen_h;
        w = static_cast<int>(static_cast<long>(screen_h) * pw / ph);
    }
    return {(screen_w - w) / 2, (screen_h - h) / 2, w, h};
}

namespace {

std::string base_name(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

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

std::string title_text(const title_facts &f)
{
    std::string t = f.base;
    if (!f.cartridge.empty())
        t += " - " + base_name(f.cartridge);
    if (f.tape_now != tape_state::empty) {
        t += " - tape " + base_name(f.tape) + " " + tape_time_text(f.tape_position) + "/" +
             tape_time_text(f.tape_length);
        if (f.tape_now == tape_state::stopped)
            t += " stopped";
        else if (f.tape_now == tape_state::ended)
            t += " at the end";
    }
    std::string speed = f.speed_status;
    if (speed != "Paused" && f.percent >= 0) {
        char p[32];
        std::snprintf(p, sizeof p, "%.0f%%", f.percent);
        speed += speed.empty() ? p : std::string(" ") + p;
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
