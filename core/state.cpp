// The state file: a header, the sections in a fixed order, a checksum.
//
//   "ORVSTATE"  u32 version  u32 section count
//   per section: four-character tag, u32 size, the fields
//   u32 CRC-32 of every byte before it
#include "state.h"

#include "cassette.h"
#include "components.h"
#include "debug_hooks.h"
#include "file_replace.h"
#include "memory.h"
#include "state_hash.h"
#include "state_image.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr char STATE_MAGIC[8] = {'O', 'R', 'V', 'S', 'T', 'A', 'T', 'E'};
constexpr size_t HEADER_BYTES = 16;
constexpr size_t SECTION_HEAD_BYTES = 8;
constexpr size_t TRAILER_BYTES = 4;

void put_u32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t get_u32(const uint8_t *p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A section's tag as text, for messages ("CPU " is shown as "CPU").
std::string tag_text(const char *tag)
{
    std::string s(tag, 4);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::string printable_tag(const uint8_t *p)
{
    std::string s;
    for (int i = 0; i < 4; i++)
        s += p[i] >= 32 && p[i] < 127 ? static_cast<char>(p[i]) : '?';
    return s;
}

std::vector<uint8_t> write_sections(orv_state_image &m, uint32_t version = ORV_STATE_VERSION)
{
    std::vector<uint8_t> out(STATE_MAGIC, STATE_MAGIC + 8);
    put_u32(out, version);
    put_u32(out, static_cast<uint32_t>(state_part_count()));
    for (int i = 0; i < state_part_count(); i++) {
        out.insert(out.end(), state_parts()[i]->section, state_parts()[i]->section + 4);
        size_t size_at = out.size();
        put_u32(out, 0);
        state_fields f(out, version);
        state_parts()[i]->fields(f, m);
        uint32_t size = static_cast<uint32_t>(out.size() - size_at - 4);
        for (int b = 0; b < 4; b++)
            out[size_at + b] = static_cast<uint8_t>(size >> (8 * b));
    }
    put_u32(out, orv_crc32(out.data(), out.size()));
    return out;
}

// The size of each section in a file of format `version` (every section has
// a fixed size), found once per version by writing a blank machine.
const std::vector<uint32_t> &section_sizes(uint32_t version)
{
    static std::vector<uint32_t> sizes[ORV_STATE_VERSION + 1];
    std::vector<uint32_t> &v = sizes[version];
    if (v.empty()) {
        auto blank = std::make_unique<orv_state_image>();
        std::vector<uint8_t> file = write_sections(*blank, version);
        size_t at = HEADER_BYTES;
        for (int i = 0; i < state_part_count(); i++) {
            v.push_back(get_u32(file.data() + at + 4));
            at += SECTION_HEAD_BYTES + v.back();
        }
    }
    return v;
}

// Where each section's fields lie in a state whose layout has been checked.
struct section_span {
    const uint8_t *data;
    uint32_t size;
};

// Checks everything about the file but the values: magic, version, the
// sections and their sizes, the checksum. Fills `spans` in file order and
// `version`.
std::string check_layout(const uint8_t *data, size_t size, std::vector<section_span> &spans, uint32_t &version)
{
    if (size > ORV_STATE_MAX_BYTES)
        return "The file is too long to be a state (" + std::to_string(size) + " bytes)";
    if (size < HEADER_BYTES + TRAILER_BYTES || std::memcmp(data, STATE_MAGIC, 8) != 0)
        return "Not an Orvane state file";
    version = get_u32(data + 8);
    if (version > ORV_STATE_VERSION)
        return "The state has format version " + std::to_string(version) +
               ", newer than this program reads (version " + std::to_string(ORV_STATE_VERSION) + ")";
    if (version < ORV_STATE_OLDEST_VERSION)
        return "The state has format version " + std::to_string(version) +
               ", older than this program reads (version " + std::to_string(ORV_STATE_OLDEST_VERSION) + ")";

    const std::vector<uint32_t> &expected_size = section_sizes(version);

    uint32_t count = get_u32(data + 12);
    if (count != static_cast<uint32_t>(state_part_count()))
        return "The state has " + std::to_string(count) + " sections, not " +
               std::to_string(state_part_count()) + ": the file is damaged";
    size_t at = HEADER_BYTES;
    const size_t end = size - TRAILER_BYTES;
    for (int i = 0; i < state_part_count(); i++) {
        if (end - at < SECTION_HEAD_BYTES)
            return "The state file is truncated";
        std::string name = tag_text(state_parts()[i]->section);
        if (std::memcmp(data + at, state_parts()[i]->section, 4) != 0)
            return "The state file is damaged: section " + std::to_string(i + 1) + " is \"" +
                   printable_tag(data + at) + "\", not " + name;
        uint32_t section_size = get_u32(data + at + 4);
        uint32_t expected = expected_size[i];
        if (section_size > end - at - SECTION_HEAD_BYTES)
            return "The state file is truncated (in section " + name + ")";
        if (section_size != expected)
            return "The state file is damaged: section " + name + " has " + std::to_string(section_size) +
                   " bytes, not " + std::to_string(expected);
        spans.push_back({data + at + SECTION_HEAD_BYTES, section_size});
        at += SECTION_HEAD_BYTES + section_size;
    }
    if (at != end)
        return "The state file has " + std::to_string(end - at) + " bytes too many";
    if (get_u32(data + end) != orv_crc32(data, end))
        return "The state file is damaged (its checksum does not match)";
    return "";
}

// Whether the tape the state was playing is the recording kept here.
bool tape_can_go_on(const orv_state_image &m)
{
    return K7_kept.present && K7_kept.hash == m.tape_hash && K7_kept.data.size() == m.tape_size;
}

} // namespace

std::vector<uint8_t> orv_state_save()
{
    auto m = std::make_unique<orv_state_image>();
    state_take_image(*m);
    return write_sections(*m);
}

std::string orv_state_load(const uint8_t *data, size_t size, std::string &note)
{
    note.clear();
    std::vector<section_span> spans;
    uint32_t version;
    std::string error = check_layout(data, size, spans, version);
    if (!error.empty())
        return error;

    auto m = std::make_unique<orv_state_image>();
    for (int i = 0; i < state_part_count(); i++) {
        std::string name = tag_text(state_parts()[i]->section);
        state_fields f(spans[i].data, spans[i].size, name.c_str(), version);
        state_parts()[i]->fields(f, *m);
        if (!f.error().empty())
            return "The state holds a value this machine cannot have (" + f.error() + ")";
    }

    // Made with this machine's firmware?
    bool bios_differs = m->bios7020_hash != orv_hash64(rom_7020, sizeof rom_7020);
    bool iop_differs = m->iop_rom_hash != orv_hash64(rom_7041, sizeof rom_7041);
    if (bios_differs || iop_differs)
        return std::string("This state was made with other firmware: ") +
               (bios_differs && iop_differs ? "bios7020.bin and 7041b.bin differ"
                : bios_differs              ? "bios7020.bin differs"
                                            : "7041b.bin differs");
    if (m->cart_hash != orv_hash64(m->cart, sizeof m->cart))
        return "The state file is damaged: its cartridge area does not match its hash";

    // Everything checked: from here on the machine changes.
    if (m->cart_hash != orv_hash64(rom_cart, sizeof rom_cart))
        note = "The cartridge of the state replaces the one loaded.";
    bool tape_goes_on = m->tape_playing && tape_can_go_on(*m);
    if (m->tape_playing && !tape_goes_on) {
        // The recording is not here: the tape stops, and its timer goes.
        m->tape_playing = 0;
        int live = 0;
        for (int i = 0; i < m->timer_num; i++)
            if (m->timers[i].tag != K7_TIMER)
                m->timers[live++] = m->timers[i];
        for (int i = live; i < m->timer_num; i++)
            m->timers[i] = veld_timer{};
        m->timer_num = live;
        note += std::string(note.empty() ? "" : " ") +
                "The tape this state was playing is not loaded: it stays stopped.";
    } else if (!m->tape_playing && K7_buffer) {
        note += std::string(note.empty() ? "" : " ") + "The tape stopped: none was playing in the state.";
    }
    if (tape_goes_on)
        K7_resume(m->tape_hash, m->tape_where);
    state_put_image(*m);
    // The next run starts a frame of its own, and the step-back history
    // starts here.
    orv_resume = {};
    orv_history_restart();
    return "";
}

std::string orv_state_save_file(const std::string &path)
{
    std::vector<uint8_t> bytes = orv_state_save();
    std::string why = orv_replace_file(path, bytes.data(), bytes.size());
    return why.empty() ? "" : "Cannot write " + path + ": " + why;
}

std::string orv_state_load_file(const std::string &path, std::string &note)
{
    note.clear();
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return "Cannot open " + path + ": " + std::strerror(errno);
    std::vector<uint8_t> bytes(ORV_STATE_MAX_BYTES + 1);
    errno = 0;
    size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    int read_error = std::ferror(f) ? (errno ? errno : EIO) : 0;
    std::fclose(f);
    if (read_error)
        return "Cannot read " + path + ": " + std::strerror(read_error);
    std::string error = orv_state_load(bytes.data(), n, note);
    return error.empty() ? "" : path + ": " + error;
}

std::vector<orv_state_section_hash> orv_state_section_hashes(const std::vector<uint8_t> &state)
{
    std::vector<section_span> spans;
    uint32_t version;
    if (!check_layout(state.data(), state.size(), spans, version).empty())
        return {};
    std::vector<orv_state_section_hash> out;
    for (int i = 0; i < state_part_count(); i++)
        out.push_back({tag_text(state_parts()[i]->section), orv_hash64(spans[i].data, spans[i].size)});
    return out;
}

std::string orv_state_slot_path(const std::string &cartridge, int slot)
{
    std::string suffix = ".st" + std::to_string(slot);
    if (cartridge.empty())
        return "orvane" + suffix;
    size_t slash = cartridge.find_last_of("/\\");
    size_t dot = cartridge.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        return cartridge.substr(0, dot) + suffix;
    return cartridge + suffix;
}
