#include "settings.h"

#include "text_file.h"

#include "core/file_replace.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

namespace {

// A value as it is written: plain when reading it back gives it again.
std::string quote(const std::string &value)
{
    bool plain = value.empty() || (value.front() != ' ' && value.front() != '\t' && value.back() != ' ' &&
                                   value.back() != '\t' && value.front() != '"');
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F || c == '"' || c == '\\')
            plain = false;
    if (plain)
        return value;
    std::string q = "\"";
    for (unsigned char c : value) {
        switch (c) {
        case '"': q += "\\\""; break;
        case '\\': q += "\\\\"; break;
        case '\n': q += "\\n"; break;
        case '\r': q += "\\r"; break;
        case '\t': q += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                q += hex;
            } else {
                q += static_cast<char>(c);
            }
        }
    }
    return q + "\"";
}

// The value after "=": quoted or plain. Returns an empty string, or what is wrong.
std::string unquote(const std::string &raw, std::string &value)
{
    std::string text = text_trim(raw);
    value.clear();
    if (text.empty() || text[0] != '"') {
        value = text;
        return "";
    }
    size_t i = 1;
    for (; i < text.size() && text[i] != '"'; i++) {
        if (text[i] != '\\') {
            value += text[i];
            continue;
        }
        if (++i == text.size())
            break;
        switch (text[i]) {
        case '"': value += '"'; break;
        case '\\': value += '\\'; break;
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        case 't': value += '\t'; break;
        case 'x': {
            unsigned v;
            if (i + 2 >= text.size() || !isxdigit(static_cast<unsigned char>(text[i + 1])) ||
                !isxdigit(static_cast<unsigned char>(text[i + 2])) ||
                std::sscanf(text.c_str() + i + 1, "%2x", &v) != 1)
                return "\\x takes two hexadecimal digits";
            value += static_cast<char>(v);
            i += 2;
            break;
        }
        default: return std::string("unknown escape \\") + text[i];
        }
    }
    if (i >= text.size())
        return "the closing double quote is missing";
    if (i + 1 != text.size())
        return "text after the closing double quote";
    return "";
}

bool parse_int(const std::string &v, int low, int high, int &out)
{
    if (v.empty() || v.size() > 9)
        return false;
    for (char c : v)
        if (c < '0' || c > '9')
            return false;
    int n = std::atoi(v.c_str());
    if (n < low || n > high)
        return false;
    out = n;
    return true;
}

bool parse_bool(const std::string &v, bool &out)
{
    for (const char *yes : {"yes", "true", "on", "1"})
        if (strcasecmp(v.c_str(), yes) == 0) {
            out = true;
            return true;
        }
    for (const char *no : {"no", "false", "off", "0"})
        if (strcasecmp(v.c_str(), no) == 0) {
            out = false;
            return true;
        }
    return false;
}

const char *yes_no(bool b)
{
    return b ? "yes" : "no";
}

// One known setting read into `s`; an empty string, or what is wrong.
// False when the key is not known here.
bool read_setting(const std::string &key, const std::string &v, settings &s, std::vector<std::string> &cartridges,
                  std::vector<std::string> &tapes, std::string &why)
{
    auto boolean = [&](bool &field) {
        if (!parse_bool(v, field))
            why = key + " must be yes or no, not '" + v + "'";
    };
    auto number = [&](int &field, int low, int high) {
        if (!parse_int(v, low, high, field))
            why = key + " must be " + std::to_string(low) + " to " + std::to_string(high) + ", not '" + v + "'";
    };
    if (key == "scale")
        number(s.scale, 1, 4);
    else if (key == "fullscreen")
        boolean(s.fullscreen);
    else if (key == "integer_scaling")
        boolean(s.integer_scaling);
    else if (key == "keyboard") {
        if (v == "positional")
            s.keyboard = keyboard_mode::positional;
        else if (v == "character")
            s.keyboard = keyboard_mode::character;
        else
            why = "keyboard must be positional or character, not '" + v + "'";
    } else if (key == "key_map")
        s.key_map = v;
    else if (key == "fast_forward") {
        if (v == "2x")
            s.fast_forward = fast_forward_speed::x2;
        else if (v == "4x")
            s.fast_forward = fast_forward_speed::x4;
        else if (v == "unlimited")
            s.fast_forward = fast_forward_speed::unlimited;
        else
            why = "fast_forward must be 2x, 4x or unlimited, not '" + v + "'";
    } else if (key == "volume")
        number(s.volume, 0, 100);
    else if (key == "mute")
        boolean(s.mute);
    else if (key == "fast_loading")
        boolean(s.fast_loading);
    else if (key == "cartridge_dir")
        s.cartridge_dir = v;
    else if (key == "tape_dir")
        s.tape_dir = v;
    else if (key == "state_dir")
        s.state_dir = v;
    else if (key == "recent_cartridge")
        cartridges.push_back(v);
    else if (key == "recent_tape")
        tapes.push_back(v);
    else if (key == "state_slot")
        number(s.state_slot, 1, 9);
    else
        return false;
    return true;
}

// The list's lines, first line the most recent.
void fill_recent(recent_list &list, const std::vector<std::string> &lines)
{
    list.clear();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        list.add(*it);
}

std::string home_dir()
{
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    if (const passwd *pw = getpwuid(getuid()))
        if (pw->pw_dir && pw->pw_dir[0] == '/')
            return pw->pw_dir;
    return "";
}

} // namespace

const char *fast_forward_speed_name(fast_forward_speed s)
{
    switch (s) {
    case fast_forward_speed::x2: return "2x";
    case fast_forward_speed::x4: return "4x";
    case fast_forward_speed::unlimited: return "unlimited";
    }
    return "4x";
}

std::string settings_dir()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative value is not valid and is ignored, as the XDG rules say.
    if (xdg && xdg[0] == '/')
        return std::string(xdg) + "/orvane";
    std::string home = home_dir();
    return home.empty() ? "" : home + "/.config/orvane";
}

std::string settings_path(const std::string &program)
{
    std::string dir = settings_dir();
    return dir.empty() ? "" : dir + "/" + program + ".conf";
}

std::string settings_text(const settings &s, const std::vector<std::string> &kept)
{
    std::string t = "# Orvane settings, KEY = VALUE (docs/frontend.md). The program rewrites this\n"
                    "# file when a setting changes: edit it while the program is not running.\n";
    auto line = [&](const char *key, const std::string &value) { t += std::string(key) + " = " + quote(value) + "\n"; };
    line("scale", std::to_string(s.scale));
    line("fullscreen", yes_no(s.fullscreen));
    line("integer_scaling", yes_no(s.integer_scaling));
    line("keyboard", s.keyboard == keyboard_mode::character ? "character" : "positional");
    line("key_map", s.key_map);
    line("fast_forward", fast_forward_speed_name(s.fast_forward));
    line("volume", std::to_string(s.volume));
    line("mute", yes_no(s.mute));
    line("fast_loading", yes_no(s.fast_loading));
    line("cartridge_dir", s.cartridge_dir);
    line("tape_dir", s.tape_dir);
    line("state_dir", s.state_dir);
    line("state_slot", std::to_string(s.state_slot));
    for (const std::string &path : s.recent_cartridges.items())
        line("recent_cartridge", path);
    for (const std::string &path : s.recent_tapes.items())
        line("recent_tape", path);
    for (const std::string &k : kept)
        t += k + "\n";
    return t;
}

settings settings_parse(const std::string &text, std::vector<std::string> &errors, std::vector<std::string> &kept)
{
    settings s;
    std::vector<std::string> cartridges, tapes;
    text_assignments(text, "VALUE", errors, [&](const text_assignment &a) {
        std::string value;
        std::string why = unquote(a.value, value);
        if (!why.empty()) {
            errors.push_back(a.where + a.key + ": " + why);
            return;
        }
        settings before = s;
        if (!read_setting(a.key, value, s, cartridges, tapes, why)) {
            kept.push_back(a.raw);
            return;
        }
        if (!why.empty()) {
            s = before;
            errors.push_back(a.where + why);
        }
    });
    fill_recent(s.recent_cartridges, cartridges);
    fill_recent(s.recent_tapes, tapes);
    return s;
}

void settings_store::load()
{
    values_ = settings();
    kept_.clear();
    message_.clear();
    changed_ = false;
    if (path_.empty())
        return;
    std::string text;
    std::string why = text_file_read(path_, SETTINGS_MAX_BYTES, text);
    const std::string leave = " The file is left as it is until a setting changes.";
    if (!why.empty()) {
        if (why != std::strerror(ENOENT))
            message_ = "Settings file " + path_ + " cannot be read (" + why + "): the defaults apply." + leave;
        return;
    }
    std::vector<std::string> errors;
    values_ = settings_parse(text, errors, kept_);
    if (errors.empty())
        return;
    message_ = "Settings file " + path_ + ": ";
    const size_t shown = 5;
    for (size_t i = 0; i < errors.size() && i < shown; i++)
        message_ += (i ? "; " : "") + errors[i];
    if (errors.size() > shown)
        message_ += "; and " + std::to_string(errors.size() - shown) + " more";
    message_ += errors.size() == 1 ? ". That line is ignored." : ". Those lines are ignored.";
    message_ += leave;
}

void settings_store::set(const settings &s)
{
    if (s == values_)
        return;
    values_ = s;
    changed_ = true;
}

std::string settings_store::save()
{
    if (path_.empty() || !changed_)
        return "";
    std::error_code error;
    std::filesystem::path dir = std::filesystem::path(path_).parent_path();
    if (!dir.empty() && !std::filesystem::is_directory(dir, error)) {
        std::filesystem::create_directories(dir, error);
        if (error)
            return dir.string() + ": " + error.message();
    }
    std::string text = settings_text(values_, kept_);
    std::string why = orv_replace_file(path_, text.data(), text.size());
    if (!why.empty())
        return path_ + ": " + why;
    changed_ = false;
    return "";
}

std::string settings_store::take_message()
{
    std::string m = message_;
    message_.clear();
    return m;
}
