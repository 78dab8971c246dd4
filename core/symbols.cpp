#include "symbols.h"

#include "address_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <sys/stat.h>

namespace {

struct symbol_set {
    std::vector<orv_symbol> list;  // address order
    std::string source;
    std::map<std::string, size_t> by_name;
    std::multimap<unsigned, size_t> by_address;
};

symbol_set dbg_symbol_sets[ORV_SYMBOL_SETS];
std::string dbg_symbols_note;

// The sets in lookup order.
constexpr orv_symbol_set lookup_order[] = {ORV_SYMBOLS_USER, ORV_SYMBOLS_CARTRIDGE, ORV_SYMBOLS_FIRMWARE};

bool name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool is_name(const std::string &s)
{
    if (s.empty() || s.size() > ORV_SYMBOL_NAME_MAX || !name_start(s[0]))
        return false;
    return std::all_of(s.begin(), s.end(), name_char);
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool whole_hex(const std::string &s, unsigned long &v)
{
    std::string digits = s;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    else if (!digits.empty() && digits[0] == '$')
        digits = digits.substr(1);
    if (digits.empty() || digits.size() > 8)
        return false;
    for (char c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    v = std::strtoul(digits.c_str(), nullptr, 16);
    return true;
}

std::string trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

bool by_address_then_name(const orv_symbol &a, const orv_symbol &b)
{
    if (a.address != b.address)
        return a.address < b.address;
    if (a.label != b.label)
        return a.label;  // labels first
    return a.name < b.name;
}

const orv_symbol *find_name(const std::string &name)
{
    const std::string key = upper(name);
    for (orv_symbol_set s : lookup_order) {
        const symbol_set &set = dbg_symbol_sets[s];
        auto it = set.by_name.find(key);
        if (it != set.by_name.end())
            return &set.list[it->second];
    }
    return nullptr;
}

const orv_symbol *find_address(unsigned address, bool labels_only)
{
    for (orv_symbol_set s : lookup_order) {
        const symbol_set &set = dbg_symbol_sets[s];
        auto [first, last] = set.by_address.equal_range(address & 0xFFFF);
        for (auto it = first; it != last; ++it) {
            const orv_symbol &sym = set.list[it->second];
            if (sym.label || !labels_only)
                return &sym;
        }
    }
    return nullptr;
}

// NAME, NAME+N or NAME-N (N hexadecimal) split; false when it has not that form.
bool split_name(const std::string &text, std::string &name, long &offset)
{
    size_t sign = text.find_first_of("+-");
    name = trim(text.substr(0, sign));
    offset = 0;
    if (!is_name(name))
        return false;
    if (sign == std::string::npos)
        return true;
    unsigned long n;
    if (!whole_hex(trim(text.substr(sign + 1)), n) || n > 0xFFFF)
        return false;
    offset = text[sign] == '+' ? static_cast<long>(n) : -static_cast<long>(n);
    return true;
}

} // namespace

void orv_symbols_parse(const std::string &text, const std::string &name, std::vector<orv_symbol> &out,
                       std::vector<std::string> &problems)
{
    std::map<std::string, int> seen;
    size_t start = 0;
    for (int number = 1; start < text.size(); number++) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        auto problem = [&](const std::string &what) {
            problems.push_back(name + ":" + std::to_string(number) + ": " + what);
        };
        char address_word[32] = "", name_word[80] = "", kind_word[16] = "", extra[4] = "";
        if (line.size() > 200) {
            problem("the line is too long for an address and a name");
            continue;
        }
        int words = std::sscanf(line.c_str(), "%31s %79s %15s %3s", address_word, name_word, kind_word, extra);
        unsigned long address;
        if (words < 2 || words > 3) {
            problem("expected an address and a name (and 'equ' for a value)");
        } else if (!whole_hex(address_word, address) || address > 0xFFFF) {
            problem(std::string("'") + address_word + "' is not an address from 0 to FFFF");
        } else if (!is_name(name_word)) {
            problem(std::string("'") + name_word + "' is not a name (letters, digits and _, at most 63)");
        } else if (words == 3 && upper(kind_word) != "EQU") {
            problem(std::string("'") + kind_word + "' after the name: only 'equ' may stand there");
        } else if (seen.count(upper(name_word))) {
            problem(std::string("'") + name_word + "' is named twice (first on line " +
                    std::to_string(seen[upper(name_word)]) + ")");
        } else {
            seen[upper(name_word)] = number;
            out.push_back({static_cast<uint16_t>(address), upper(name_word), words == 2});
        }
    }
}

std::string orv_symbols_text(std::vector<orv_symbol> symbols)
{
    std::sort(symbols.begin(), symbols.end(), by_address_then_name);
    std::string text = "; orvane symbols: ADDRESS NAME, or ADDRESS NAME equ for a value given by EQU\n";
    for (const orv_symbol &s : symbols) {
        char line[96];
        std::snprintf(line, sizeof line, "%04X %s%s\n", s.address, s.name.c_str(), s.label ? "" : " equ");
        text += line;
    }
    return text;
}

void orv_symbols_put(orv_symbol_set set, std::vector<orv_symbol> symbols, const std::string &source)
{
    symbol_set &s = dbg_symbol_sets[set];
    std::sort(symbols.begin(), symbols.end(), by_address_then_name);
    s = symbol_set{};
    s.list = std::move(symbols);
    s.source = s.list.empty() ? "" : source;
    for (size_t i = 0; i < s.list.size(); i++) {
        s.by_name.emplace(s.list[i].name, i);  // the first of a name stays
        s.by_address.emplace(s.list[i].address, i);
    }
}

std::string orv_symbols_load_file(orv_symbol_set set, const std::string &path, std::string &note)
{
    note.clear();
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return path + ": " + std::strerror(errno);
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return path + ": " + std::strerror(EISDIR);
    }
    std::string text;
    char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0 && text.size() <= ORV_SYMBOL_FILE_MAX)
        text.append(block, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return path + ": " + std::strerror(EIO);
    if (text.size() > ORV_SYMBOL_FILE_MAX)
        return path + ": longer than 4 MB, more than any symbol file holds";
    if (text.find('\0') != std::string::npos)
        return path + ": not a symbol file (it holds NUL bytes)";
    std::vector<orv_symbol> symbols;
    std::vector<std::string> problems;
    orv_symbols_parse(text, path, symbols, problems);
    if (!problems.empty())
        note = std::to_string(problems.size()) + (problems.size() == 1 ? " line" : " lines") + " skipped: " +
               problems[0];
    orv_symbols_put(set, std::move(symbols), path);
    return "";
}

void orv_symbols_clear(orv_symbol_set set) { dbg_symbol_sets[set] = symbol_set{}; }

int orv_symbols_count(orv_symbol_set set) { return static_cast<int>(dbg_symbol_sets[set].list.size()); }

const std::string &orv_symbols_source(orv_symbol_set set) { return dbg_symbol_sets[set].source; }

const std::vector<orv_symbol> &orv_symbols_of(orv_symbol_set set) { return dbg_symbol_sets[set].list; }

std::string orv_symbols_beside(const std::string &image_path)
{
    size_t slash = image_path.rfind('/');
    size_t dot = image_path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = upper(image_path.substr(dot));
    if (ext != ".ROM" && ext != ".BIN")
        return "";
    return image_path.substr(0, dot) + ".sym";
}

namespace {

// Loads `path` into `set` when it exists; otherwise the set is emptied.
void load_beside(orv_symbol_set set, const std::string &path)
{
    dbg_symbols_note.clear();
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        orv_symbols_clear(set);
        return;
    }
    std::string note;
    std::string why = orv_symbols_load_file(set, path, note);
    if (!why.empty()) {
        orv_symbols_clear(set);
        dbg_symbols_note = "Symbols not loaded: " + why;
    } else if (!note.empty()) {
        dbg_symbols_note = "Symbols of " + path + ": " + note;
    }
}

} // namespace

void orv_symbols_for_cartridge(const std::string &image_path)
{
    load_beside(ORV_SYMBOLS_CARTRIDGE, orv_symbols_beside(image_path));
}

void orv_symbols_for_firmware(const std::string &directory)
{
    load_beside(ORV_SYMBOLS_FIRMWARE, directory.empty() ? "" : directory + "/bios7020.sym");
}

const std::string &orv_symbols_note() { return dbg_symbols_note; }

bool orv_symbol_value(const std::string &name, uint16_t &address)
{
    const orv_symbol *s = find_name(name);
    if (s)
        address = s->address;
    return s != nullptr;
}

const char *orv_symbol_label_at(unsigned address)
{
    const orv_symbol *s = find_address(address, true);
    return s ? s->name.c_str() : nullptr;
}

std::vector<std::string> orv_symbol_labels_at(unsigned address)
{
    std::vector<std::string> names;
    for (orv_symbol_set s : lookup_order) {
        const symbol_set &set = dbg_symbol_sets[s];
        auto [first, last] = set.by_address.equal_range(address & 0xFFFF);
        for (auto it = first; it != last; ++it)
            if (set.list[it->second].label &&
                std::find(names.begin(), names.end(), set.list[it->second].name) == names.end())
                names.push_back(set.list[it->second].name);
    }
    return names;
}

const char *orv_symbol_name_at(unsigned address)
{
    const orv_symbol *s = find_address(address, false);
    return s ? s->name.c_str() : nullptr;
}

std::string orv_symbol_describe(unsigned address)
{
    char text[96];
    const char *label = orv_symbol_name_at(address);
    if (label)
        std::snprintf(text, sizeof text, "%04X (%s)", address & 0xFFFF, label);
    else
        std::snprintf(text, sizeof text, "%04X", address & 0xFFFF);
    return text;
}

bool orv_looks_like_name(const std::string &text)
{
    std::string name;
    long offset;
    const std::string t = trim(text);
    return !t.empty() && t[0] != '$' && split_name(t, name, offset);
}

std::string orv_parse_address(const std::string &text, unsigned long max, unsigned long &value)
{
    const std::string t = trim(text);
    std::string name;
    long offset;
    uint16_t base;
    const bool explicit_number = !t.empty() && (t[0] == '$' || (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')));
    if (!explicit_number && split_name(t, name, offset) && orv_symbol_value(name, base)) {
        long address = static_cast<long>(base) + offset;
        if (address < 0 || static_cast<unsigned long>(address) > max) {
            char limit[16];
            std::snprintf(limit, sizeof limit, "%lX", max);
            return t + " is outside 0 to " + limit;
        }
        value = static_cast<unsigned long>(address);
        return "";
    }
    // A number of any length: the hexadecimal reader says what is wrong with it.
    std::string digits = explicit_number ? t.substr(t[0] == '$' ? 1 : 2) : t;
    if (digits.empty() || std::all_of(digits.begin(), digits.end(),
                                      [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }))
        return orv_parse_hex_address(t.c_str(), max, value);
    if (orv_looks_like_name(t))
        return "No label '" + name + "': load the program's symbols first, or type a hexadecimal address";
    return "'" + t + "' is not an address: type it in hexadecimal (F800) or as a label (START, START+4)";
}

std::string orv_read_address_field(const char *text, unsigned long max, unsigned long &value)
{
    const std::string t = trim(text ? text : "");
    std::string name;
    long offset;
    uint16_t base;
    const bool explicit_number = !t.empty() && (t[0] == '$' || (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')));
    if (!explicit_number && split_name(t, name, offset) && orv_symbol_value(name, base))
        return orv_parse_address(t, max, value);
    return orv_parse_hex_address(text, max, value);
}

void symbols_clear_state()
{
    for (symbol_set &s : dbg_symbol_sets)
        s = symbol_set{};
    dbg_symbols_note.clear();
}
