#include "breakpoints.h"

#include "debug_hooks.h"
#include "memory.h"
#include "symbols.h"
#include "tms7000.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

orv_watch_hit dbg_watch_pending;
bool dbg_in_instruction;
bool dbg_watch_counting = true;

namespace {

std::vector<orv_breakpoint> dbg_breakpoints;
std::vector<orv_watchpoint> dbg_watchpoints;
int dbg_next_break_id = 1;
int dbg_next_watch_id = 1;
// Enabled breakpoints at each address; watched directions at each address
// (1 read, 2 write).
uint8_t dbg_break_map[65536];
uint8_t dbg_watch_map[65536];

std::string trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Decimal, or hexadecimal after 0x or $: the whole text.
bool read_value(const std::string &text, unsigned long max, unsigned long &out)
{
    std::string t = trim(text);
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t = t.substr(2);
        base = 16;
    } else if (!t.empty() && t[0] == '$') {
        t = t.substr(1);
        base = 16;
    }
    if (t.empty() || t.size() > 8)
        return false;
    for (char c : t)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
            return false;
    out = std::strtoul(t.c_str(), nullptr, base);
    return out <= max;
}

// "Rn" with n decimal 0 to `max`.
bool read_numbered(const std::string &text, char letter, unsigned max, unsigned &n)
{
    std::string t = upper(trim(text));
    if (t.size() < 2 || t[0] != letter)
        return false;
    unsigned long v;
    for (size_t i = 1; i < t.size(); i++)
        if (!std::isdigit(static_cast<unsigned char>(t[i])))
            return false;
    if (t.size() > 4)
        return false;
    v = std::strtoul(t.c_str() + 1, nullptr, 10);
    if (v > max)
        return false;
    n = static_cast<unsigned>(v);
    return true;
}

void rebuild_maps()
{
    std::memset(dbg_break_map, 0, sizeof dbg_break_map);
    std::memset(dbg_watch_map, 0, sizeof dbg_watch_map);
    for (const orv_breakpoint &b : dbg_breakpoints)
        if (b.enabled && dbg_break_map[b.address] < 255)
            dbg_break_map[b.address]++;
    for (const orv_watchpoint &w : dbg_watchpoints)
        if (w.enabled)
            for (unsigned a = w.first; a <= w.last; a++)
                dbg_watch_map[a] |= static_cast<uint8_t>((w.read ? 1 : 0) | (w.write ? 2 : 0));
    orv_debug_arm_update();
}

// The comparisons, as written back (in the order of orv_condition::op_t) and
// as looked for (two-character ones first).
const char *const dbg_op_texts[] = {"==", "!=", "<", "<=", ">", ">="};
const char *const dbg_condition_ops[] = {"==", "!=", "<=", ">=", "<", ">"};

const char *op_text(orv_condition::op_t op) { return dbg_op_texts[op]; }

bool condition_holds_at(const orv_breakpoint &b) { return !b.conditional || orv_condition_holds(b.condition); }

// One end of a range: Pn, Rn, or an address (a label included).
std::string read_end(const std::string &text, unsigned long &address)
{
    unsigned n;
    if (read_numbered(text, 'P', 255, n)) {
        address = 0x100 + n;
        return "";
    }
    if (read_numbered(text, 'R', 127, n)) {
        address = n;
        return "";
    }
    return orv_parse_address(text, 0xFFFF, address);
}

// An address or a range FIRST..LAST.
std::string read_range_text(const std::string &text, uint16_t &first, uint16_t &last)
{
    const std::string t = trim(text);
    unsigned long a, b;
    const size_t dots = t.find("..");
    std::string why = read_end(t.substr(0, dots), a);
    if (!why.empty())
        return why;
    b = a;
    if (dots != std::string::npos) {
        why = read_end(t.substr(dots + 2), b);
        if (!why.empty())
            return why;
        if (b < a)
            return "'" + t + "': the range ends before it starts";
    }
    first = static_cast<uint16_t>(a);
    last = static_cast<uint16_t>(b);
    return "";
}

} // namespace

std::string orv_condition_parse(const std::string &text, orv_condition &c)
{
    const char *const *ops = dbg_condition_ops;
    static const orv_condition::op_t op_of[] = {orv_condition::EQ, orv_condition::NE, orv_condition::LE,
                                                orv_condition::GE, orv_condition::LT, orv_condition::GT};
    const std::string t = trim(text);
    size_t at = std::string::npos;
    int which = -1;
    for (int i = 0; i < 6 && which < 0; i++)
        if ((at = t.find(ops[i])) != std::string::npos)
            which = i;
    const std::string form = "a condition is SUBJECT OP VALUE: A, B, SP, ST, PC, R0-R127 or [ADDRESS], "
                             "then ==, !=, <, <=, > or >=, then a number (for example A == 0x41)";
    if (which < 0)
        return "'" + t + "': " + form;
    const std::string subject = upper(trim(t.substr(0, at)));
    const std::string value = trim(t.substr(at + std::strlen(ops[which])));
    orv_condition out;
    out.op = op_of[which];
    unsigned n;
    char where[64] = "";
    if (subject == "A" || subject == "B" || subject == "SP" || subject == "ST" || subject == "PC") {
        out.subject = subject == "A"    ? orv_condition::A
                      : subject == "B"  ? orv_condition::B
                      : subject == "SP" ? orv_condition::SP
                      : subject == "ST" ? orv_condition::ST
                                        : orv_condition::PC;
        std::snprintf(where, sizeof where, "%s", subject.c_str());
    } else if (read_numbered(subject, 'R', 127, n)) {
        out.subject = orv_condition::RF;
        out.where = n;
        std::snprintf(where, sizeof where, "R%u", n);
    } else if (subject.size() > 2 && subject.front() == '[' && subject.back() == ']') {
        unsigned long a;
        std::string why = orv_parse_address(subject.substr(1, subject.size() - 2), 0xFFFF, a);
        if (!why.empty())
            return why;
        out.subject = orv_condition::MEM;
        out.where = static_cast<unsigned>(a);
        std::snprintf(where, sizeof where, "[%04lX]", a);
    } else {
        std::string why = "'";
        why += trim(t.substr(0, at));
        why += "' is no register or memory byte: ";
        return why + form;
    }
    const unsigned long max = out.subject == orv_condition::PC ? 0xFFFF : 0xFF;
    unsigned long v;
    if (!read_value(value, max, v))
        return "'" + value + "' is not a number from 0 to " + (max == 0xFF ? "255" : "65535") +
               " (decimal, or hexadecimal after 0x or $)";
    out.value = static_cast<unsigned>(v);
    char shown[96];
    std::snprintf(shown, sizeof shown, max == 0xFF ? "%s %s 0x%02X" : "%s %s 0x%04X", where, op_text(out.op),
                  out.value);
    out.text = shown;
    c = out;
    return "";
}

bool orv_condition_holds(const orv_condition &c)
{
    unsigned v = 0;
    switch (c.subject) {
    case orv_condition::A: v = tms7000.rf[0]; break;
    case orv_condition::B: v = tms7000.rf[1]; break;
    case orv_condition::SP: v = tms7000.sp; break;
    case orv_condition::ST: v = tms7000.sr; break;
    case orv_condition::PC: v = tms7000.pc.w; break;
    case orv_condition::RF: v = tms7000.rf[c.where & 0x7F]; break;
    case orv_condition::MEM: v = static_cast<unsigned>(program_peek_byte_8(c.where)); break;
    }
    switch (c.op) {
    case orv_condition::EQ: return v == c.value;
    case orv_condition::NE: return v != c.value;
    case orv_condition::LT: return v < c.value;
    case orv_condition::LE: return v <= c.value;
    case orv_condition::GT: return v > c.value;
    case orv_condition::GE: return v >= c.value;
    }
    return false;
}

int orv_break_add(const std::string &address, const std::string &condition, long hit_target, std::string &why)
{
    why.clear();
    if (dbg_breakpoints.size() >= static_cast<size_t>(ORV_MAX_BREAKPOINTS)) {
        why = "There are already " + std::to_string(ORV_MAX_BREAKPOINTS) + " breakpoints: remove one first";
        return 0;
    }
    unsigned long a;
    why = orv_parse_address(address, 0xFFFF, a);
    if (!why.empty())
        return 0;
    orv_breakpoint b = {};
    if (!trim(condition).empty()) {
        why = orv_condition_parse(condition, b.condition);
        if (!why.empty())
            return 0;
        b.conditional = true;
    }
    if (hit_target < 0 || hit_target > 1000000000) {
        why = "A hit count is a number from 1 to 1000000000";
        return 0;
    }
    b.id = dbg_next_break_id++;
    b.address = static_cast<uint16_t>(a);
    b.enabled = true;
    b.hit_target = hit_target;
    dbg_breakpoints.push_back(b);
    rebuild_maps();
    return b.id;
}

bool orv_break_remove(int id)
{
    for (size_t i = 0; i < dbg_breakpoints.size(); i++)
        if (dbg_breakpoints[i].id == id) {
            dbg_breakpoints.erase(dbg_breakpoints.begin() + static_cast<long>(i));
            rebuild_maps();
            return true;
        }
    return false;
}

bool orv_break_enable(int id, bool enabled)
{
    for (orv_breakpoint &b : dbg_breakpoints)
        if (b.id == id) {
            b.enabled = enabled;
            rebuild_maps();
            return true;
        }
    return false;
}

void orv_break_clear()
{
    dbg_breakpoints.clear();
    rebuild_maps();
}

void orv_break_reset_hits()
{
    for (orv_breakpoint &b : dbg_breakpoints)
        b.hits = 0;
}

const std::vector<orv_breakpoint> &orv_breakpoints() { return dbg_breakpoints; }

std::string orv_break_describe(const orv_breakpoint &b)
{
    std::string text = std::to_string(b.id) + "  " + orv_symbol_describe(b.address);
    if (b.conditional)
        text += "  if " + b.condition.text;
    if (b.hit_target > 1)
        text += "  from hit " + std::to_string(b.hit_target);
    text += "  hits " + std::to_string(b.hits);
    if (!b.enabled)
        text += "  [off]";
    return text;
}

int orv_watch_add(const std::string &range, bool read, bool write, std::string &why)
{
    why.clear();
    if (dbg_watchpoints.size() >= static_cast<size_t>(ORV_MAX_WATCHPOINTS)) {
        why = "There are already " + std::to_string(ORV_MAX_WATCHPOINTS) + " watchpoints: remove one first";
        return 0;
    }
    if (!read && !write) {
        why = "A watchpoint watches reads, writes or both";
        return 0;
    }
    orv_watchpoint w = {};
    why = read_range_text(range, w.first, w.last);
    if (!why.empty())
        return 0;
    w.id = dbg_next_watch_id++;
    w.read = read;
    w.write = write;
    w.enabled = true;
    dbg_watchpoints.push_back(w);
    rebuild_maps();
    return w.id;
}

bool orv_watch_remove(int id)
{
    for (size_t i = 0; i < dbg_watchpoints.size(); i++)
        if (dbg_watchpoints[i].id == id) {
            dbg_watchpoints.erase(dbg_watchpoints.begin() + static_cast<long>(i));
            rebuild_maps();
            return true;
        }
    return false;
}

bool orv_watch_enable(int id, bool enabled)
{
    for (orv_watchpoint &w : dbg_watchpoints)
        if (w.id == id) {
            w.enabled = enabled;
            rebuild_maps();
            return true;
        }
    return false;
}

void orv_watch_clear()
{
    dbg_watchpoints.clear();
    rebuild_maps();
}

const std::vector<orv_watchpoint> &orv_watchpoints() { return dbg_watchpoints; }

std::string orv_watch_range_parse(const std::string &range, uint16_t &first, uint16_t &last)
{
    return read_range_text(range, first, last);
}

std::string orv_watch_describe(const orv_watchpoint &w)
{
    std::string where = orv_symbol_describe(w.first);
    if (w.last != w.first) {
        char last[12];
        std::snprintf(last, sizeof last, "..%04X", w.last);
        where = where.substr(0, 4) + last + where.substr(4);
    }
    std::string text = std::to_string(w.id) + "  " + where + "  " +
                       (w.read && w.write ? "read/write" : w.read ? "read" : "write");
    text += "  hits " + std::to_string(w.hits);
    if (!w.enabled)
        text += "  [off]";
    return text;
}

bool orv_break_any_enabled()
{
    for (const orv_breakpoint &b : dbg_breakpoints)
        if (b.enabled)
            return true;
    return false;
}

bool orv_watch_any_enabled()
{
    for (const orv_watchpoint &w : dbg_watchpoints)
        if (w.enabled)
            return true;
    return false;
}

const orv_breakpoint *orv_break_stops(uint16_t pc, bool count)
{
    if (!dbg_break_map[pc])
        return nullptr;
    const orv_breakpoint *stops = nullptr;
    for (orv_breakpoint &b : dbg_breakpoints) {
        if (!b.enabled || b.address != pc || !condition_holds_at(b))
            continue;
        if (count)
            b.hits++;
        if (!stops && b.hits >= b.hit_target)
            stops = &b;
    }
    return stops;
}

bool orv_break_matches(uint16_t pc)
{
    if (!dbg_break_map[pc])
        return false;
    for (const orv_breakpoint &b : dbg_breakpoints)
        if (b.enabled && b.address == pc && condition_holds_at(b))
            return true;
    return false;
}

// Only the machine's accesses count: an instruction's, or an interrupt's
// entry; not a program's edit between runs.
void orv_watch_access(unsigned address, unsigned value, bool write)
{
    const uint8_t m = dbg_watch_map[address & 0xFFFF];
    if (!(m & (write ? 2 : 1)) || (orv_bus_fetch && !write) || !(dbg_in_instruction || orv_bus_interrupt))
        return;
    for (orv_watchpoint &w : dbg_watchpoints) {
        if (!w.enabled || address < w.first || address > w.last || !(write ? w.write : w.read))
            continue;
        if (dbg_watch_counting)
            w.hits++;
        if (!dbg_watch_pending.pending)
            dbg_watch_pending = {true,  w.id, p_pc, static_cast<uint16_t>(address), static_cast<uint8_t>(value),
                                 write, orv_bus_interrupt};
        return;
    }
}

void orv_watch_forget() { dbg_watch_pending = {}; }

void breakpoints_clear_state()
{
    dbg_breakpoints.clear();
    dbg_watchpoints.clear();
    dbg_next_break_id = 1;
    dbg_next_watch_id = 1;
    std::memset(dbg_break_map, 0, sizeof dbg_break_map);
    std::memset(dbg_watch_map, 0, sizeof dbg_watch_map);
    dbg_watch_pending = {};
    dbg_in_instruction = false;
    dbg_watch_counting = true;
}
