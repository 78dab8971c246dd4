#include "key_map.h"

#include "char_keys.h"
#include "host_keys.h"
#include "text_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

constexpr size_t MAX_CODES = 8;

// One number, 0 to 255, decimal or 0x hexadecimal.
bool parse_code(const std::string &word, unsigned char &code)
{
    if (word.empty())
        return false;
    const char *text = word.c_str();
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        text += 2;
        base = 16;
    }
    if (!*text || *text == '-' || *text == '+' || *text == ' ')
        return false;
    char *end;
    errno = 0;
    unsigned long v = std::strtoul(text, &end, base);
    if (*end || errno || v > 255)
        return false;
    code = static_cast<unsigned char>(v);
    return true;
}

// The value of a line: codes, a quoted character or "none". Returns an
// empty string, or what is wrong with it.
std::string parse_value(const std::string &value, std::vector<unsigned char> &codes)
{
    if (value.empty())
        return "no value after '='";
    if (strcasecmp(value.c_str(), "none") == 0)
        return "";
    if (value[0] == '"') {
        if (value.size() < 3 || value.back() != '"')
            return "a character goes between double quotes: \"-\"";
        std::string inside = value.substr(1, value.size() - 2);
        size_t at = 0;
        char32_t c = utf8_next(inside, at);
        if (at != inside.size())
            return "one character between the quotes, not " + value;
        std::vector<unsigned char> typed;
        if (!char_key_codes(c, typed))
            return "the machine has no key for " + value;
        // The key's own release ends it: the last release is left for the key-up.
        typed.pop_back();
        codes = typed;
        return "";
    }
    std::string words = value;
    for (char &ch : words)
        if (ch == ',' || ch == '\t')
            ch = ' ';
    size_t at = 0;
    while (at < words.size()) {
        size_t end = words.find(' ', at);
        if (end == std::string::npos)
            end = words.size();
        std::string word = words.substr(at, end - at);
        at = end + 1;
        if (word.empty())
            continue;
        unsigned char code;
        if (!parse_code(word, code))
            return "'" + word + "' is not a machine key code (0 to 255)";
        if (codes.size() == MAX_CODES)
            return "at most 8 codes for one key";
        codes.push_back(code);
    }
    if (codes.empty())
        return "no value after '='";
    return "";
}

// The value without a comment: "#" outside double quotes starts one.
std::string without_comment(const std::string &value)
{
    bool quoted = false;
    for (size_t i = 0; i < value.size(); i++) {
        if (value[i] == '"')
            quoted = !quoted;
        else if (value[i] == '#' && !quoted)
            return value.substr(0, i);
    }
    return value;
}

} // namespace

const std::vector<unsigned char> *key_map::find(int key) const
{
    auto it = keys.find(key);
    return it == keys.end() ? nullptr : &it->second;
}

key_map key_map_parse(const std::string &text, std::vector<std::string> &errors)
{
    key_map map;
    text_assignments(text, "CODES", errors, [&](const text_assignment &a) {
        int key = host_key_from_name(a.key);
        if (key == HOST_KEY_NONE) {
            errors.push_back(a.where + "'" + a.key + "' is not a key name");
            return;
        }
        std::vector<unsigned char> codes;
        std::string why = parse_value(text_trim(without_comment(a.value)), codes);
        if (!why.empty()) {
            errors.push_back(a.where + why);
            return;
        }
        map.keys[key] = codes;
    });
    return map;
}

std::string key_map_load(const std::string &path, key_map &map, std::vector<std::string> &errors)
{
    map = key_map();
    std::string text;
    std::string why = text_file_read(path, KEY_MAP_MAX_BYTES, text);
    if (!why.empty())
        return why;
    map = key_map_parse(text, errors);
    return "";
}

void pad_default_codes(int input, std::vector<unsigned char> &codes)
{
    switch (input) {
    case PAD_UP: codes.push_back(128); break;
    case PAD_DOWN: codes.push_back(130); break;
    case PAD_LEFT: codes.push_back(131); break;
    case PAD_RIGHT: codes.push_back(129); break;
    case PAD_BUTTON_1: codes.push_back(32); break;
    case PAD_BUTTON_1 + 1: codes.push_back(13); break;
    default: break;
    }
}

void key_map_translator::press(int host, std::vector<unsigned char> &codes)
{
    bool pad = host >= PAD_UP && host < PAD_INPUT_END;
    int key = pad ? host : own_key_ ? own_key_(host) : HOST_KEY_NONE;
    if (map_ && key != HOST_KEY_NONE)
        if (const std::vector<unsigned char> *mapped = map_->find(key)) {
            codes.insert(codes.end(), mapped->begin(), mapped->end());
            return;
        }
    if (pad)
        pad_default_codes(host, codes);
    else if (fallback_)
        fallback_->press(host, codes);
}

void key_map_translator::reset()
{
    if (fallback_)
        fallback_->reset();
}
