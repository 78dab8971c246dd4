// The lockstep oracle's runner: a case run on each path, a digest taken
// after every call of the frame loop, the two lists compared.
#include "lockstep.h"

#include "core/cassette.h"
#include "core/debug_engine.h"
#include "core/exec_mode.h"
#include "core/iocpu.h"
#include "core/host.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/memory.h"
#include "core/state.h"
#include "core/tms3556.h"
#include "core/tms5220.h"
#include "core/tms7000.h"
#include "core/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// A 64-bit hash, eight bytes a step (FNV-1a's multiplier over words).
struct fnv {
    uint64_t h = 0xCBF29CE484222325ull;
    void add(const void *data, size_t n)
    {
        const auto *p = static_cast<const uint8_t *>(data);
        size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            h = (h ^ w) * 0x100000001B3ull;
            h ^= h >> 29;
        }
        for (; i < n; i++)
            h = (h ^ p[i]) * 0x100000001B3ull;
    }
};

// The state file's sections (docs/state-format.md: a 16-byte header, then
// per section a tag, a 32-bit size and the bytes), each hashed.
std::vector<orv_state_section_hash> section_hashes(const std::vector<uint8_t> &state)
{
    std::vector<orv_state_section_hash> out;
    size_t at = 16;
    while (at + 8 <= state.size() - 4) {
        uint32_t size = state[at + 4] | state[at + 5] << 8 | state[at + 6] << 16 |
                        static_cast<uint32_t>(state[at + 7]) << 24;
        if (at + 8 + size > state.size())
            break;
        fnv f;
        f.add(&state[at + 8], size);
        out.push_back({std::string(reinterpret_cast<const char *>(&state[at]), 4), f.h});
        at += 8 + size;
    }
    return out;
}

// What a call of the frame loop left, as far as anything can see it.
struct digest {
    int why = 0;
    std::vector<orv_state_section_hash> sections;
    uint64_t picture = 0;
    uint64_t sound = 0;
    int sound_blocks = 0;
    uint64_t log = 0;
    int log_lines = 0;
};

// The run in progress (the host hooks are plain functions).
struct run_state {
    fnv sound;
    int sound_blocks = 0;
    fnv log;
    int log_lines = 0;
    bool keep_lines = false;
    std::vector<std::string> lines;
    std::vector<uint8_t> state;  // the state after the call whose lines are kept
    const lockstep_case *c = nullptr;
    int frames = 0;
    int pictures = 0;
};
run_state run;
volatile char stop_key;

void on_sound(const unsigned char *block, int length)
{
    run.sound.add(block, static_cast<size_t>(length));
    run.sound_blocks++;
}

lockstep_coverage seen;

void on_log_line(const char *line)
{
    if (std::strstr(line, " idle():called"))
        seen.idles++;
    else if (std::strstr(line, " illegal():called"))
        seen.undefined++;
    else if (std::strstr(line, " bcd_sub():called"))
        seen.decimal++;
    run.log.add(line, std::strlen(line) + 1);
    run.log_lines++;
    if (run.keep_lines)
        run.lines.push_back(line);
}

void on_frame_end()
{
    if (++run.frames % run.c->frames_per_stop == 0)
        stop_key = 1;
}

int on_picture_wanted() { return ++run.pictures % run.c->skip_picture_every != 0; }

void write_bytes(const char *path, const std::vector<uint8_t> &bytes)
{
    FILE *f = std::fopen(path, "wb");
    if (!f)
        return;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void write_text(const char *path, const std::string &text)
{
    write_bytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

enum class path { fast, reference };

void act(const lockstep_action &a)
{
    switch (a.kind) {
    case lockstep_action::KEY: send_key(static_cast<unsigned char>(a.value)); break;
    case lockstep_action::INT3: tms7000_set_irq_line(2, a.value); break;
    case lockstep_action::EXT_CLOCK:
        for (int i = 0; i < a.value; i++)
            tms7000_A6EC1();
        break;
    case lockstep_action::STEPS:
        for (int i = 0; i < a.value; i++)
            orv_step();
        break;
    case lockstep_action::WATCH_WRITE:
        set_bkpt_vdpwrite(a.value < 0 ? TMS3556_NO_BKPT : static_cast<unsigned long>(a.value));
        break;
    case lockstep_action::RESET: orv_reset(); break;
    case lockstep_action::SAVE_LOAD: {
        std::vector<uint8_t> state = orv_state_save();
        std::string note;
        orv_state_load(state.data(), state.size(), note);
        break;
    }
    case lockstep_action::POKE:
        program_write_byte_8(a.value >> 8, static_cast<unsigned char>(a.value & 0xFF));
        break;
    case lockstep_action::BREAK: {
        std::string why;
        char address[8];
        std::snprintf(address, sizeof address, "%04X", a.value & 0xFFFF);
        if (a.value < 0) {
            orv_break_clear();
            orv_watch_clear();
        } else {
            orv_break_add(address, "", 0, why);
        }
        break;
    }
    case lockstep_action::WATCH: {
        std::string why;
        char address[8];
        std::snprintf(address, sizeof address, "%04X", a.value & 0xFFFF);
        orv_watch_add(address, (a.value >> 16) & 1, (a.value >> 17) & 1, why);
        break;
    }
    }
}

// Runs the case on one path; `keep_lines_of` (a call's index) keeps that
// call's log lines in run.lines.
std::vector<digest> run_path(const lockstep_case &c, path p, int keep_lines_of = -1)
{
    std::remove("debug.lst");
    if (!c.debug_lst.empty())
        write_text("debug.lst", c.debug_lst);
    mkdir("bios", 0755);
    write_bytes("bios/bios7020.bin", c.bios7020);
    write_bytes("bios/7041b.bin", c.rom7041);

    orv_clear_globals();
    run = run_state();
    run.c = &c;
    orv_set_exec_mode(p == path::reference ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST);
    orv_host = {};
    orv_host.style = c.until_stop ? ORV_LOOP_UNTIL_STOP : ORV_LOOP_FRAME;
    orv_host.sound_block = on_sound;
    orv_host.log_line = on_log_line;
    if (c.until_stop) {
        orv_host.frame_end = on_frame_end;
        orv_host.stop_key = &stop_key;
    }
    if (c.skip_picture_every > 0)
        orv_host.picture_wanted = on_picture_wanted;

    std::vector<digest> out;
    if (MemInit("bios") != nullptr)
        return out;
    orv_cold_start();
    if (!c.cartridge.empty()) {
        RomLoadImage(c.cartridge.data(), c.cartridge.size());
        orv_reset();
    }
    if (!c.tape.empty()) {
        k7_audio_spec spec = {c.tape_rate, K7_U8, 1, 1};
        orv_load_K7(spec, c.tape.data(), static_cast<uint32_t>(c.tape.size()));
    }

    for (size_t i = 0; i < c.calls.size(); i++) {
        const lockstep_call &call = c.calls[i];
        run.keep_lines = static_cast<int>(i) == keep_lines_of;
        for (const lockstep_action &a : call.before)
            act(a);
        stop_key = 0;
        digest d;
        d.why = orv_loop(call.stop_pc);
        std::vector<uint8_t> state = orv_state_save();
        d.sections = section_hashes(state);
        if (run.keep_lines)
            run.state = state;
        fnv picture;
        picture.add(tms3556_screen, sizeof tms3556_screen);
        d.picture = picture.h;
        d.sound = run.sound.h;
        d.sound_blocks = run.sound_blocks;
        d.log = run.log.h;
        d.log_lines = run.log_lines;
        out.push_back(d);
        run.sound = fnv();
        run.sound_blocks = 0;
        run.log = fnv();
        run.log_lines = 0;
        seen.speaking += tms5220.speak_state == 2;
        seen.timer1 += tms7000_timer1_running();
        seen.modes[tms3556.vdp_regs8[VDP_CM3] >> 6]++;
        seen.io_states += cur_state >= IO_STATE_READY;
        seen.debug_stops += d.why == ORV_STOP_DEBUG;
    }
    for (int line = 0; line < 3; line++)
        seen.interrupts[line] += tms7000.rf[20 + line];
    orv_host = {};
    orv_set_exec_mode(ORV_EXEC_FAST);
    return out;
}

// The first lines where the two logs of a call part.
std::string first_log_difference(const lockstep_case &c, int call)
{
    run_path(c, path::fast, call);
    std::vector<std::string> fast = run.lines;
    run_path(c, path::reference, call);
    std::vector<std::string> reference = run.lines;
    // LOCKSTEP_LOGS=dir keeps both logs of the call there.
    if (const char *dir = std::getenv("LOCKSTEP_LOGS")) {
        for (int k = 0; k < 2; k++) {
            std::string text;
            for (const std::string &l : k ? reference : fast)
                text += l + "\n";
            write_text((std::string(dir) + (k ? "/reference.log" : "/fast.log")).c_str(), text);
        }
    }
    size_t i = 0;
    while (i < fast.size() && i < reference.size() && fast[i] == reference[i])
        i++;
    std::string out = "line " + std::to_string(i + 1) + " of the call:\n";
    for (size_t k = i >= 2 ? i - 2 : 0; k < i + 3; k++) {
        out += "  fast:      " + (k < fast.size() ? fast[k] : std::string("(none)")) + "\n";
        out += "  reference: " + (k < reference.size() ? reference[k] : std::string("(none)")) + "\n";
    }
    return out;
}

// Where the two states saved after a call first differ.
std::string first_state_difference(const lockstep_case &c, int call)
{
    run_path(c, path::fast, call);
    std::vector<uint8_t> fast = run.state;
    run_path(c, path::reference, call);
    std::vector<uint8_t> reference = run.state;
    size_t i = 0;
    while (i < fast.size() && i < reference.size() && fast[i] == reference[i])
        i++;
    char text[128];
    std::snprintf(text, sizeof text, "first at byte %zu of the state file: %02x fast, %02x reference", i,
                  i < fast.size() ? fast[i] : 0, i < reference.size() ? reference[i] : 0);
    return text;
}

} // namespace

std::string lockstep_compare(const lockstep_case &c, lockstep_coverage *coverage)
{
    if (c.bios7020.empty())
        return c.name + ":\n" + c.source;
    seen = lockstep_coverage();
    std::vector<digest> fast = run_path(c, path::fast);
    if (coverage) {
        for (int i = 0; i < 3; i++)
            coverage->interrupts[i] += seen.interrupts[i];
        coverage->idles += seen.idles;
        coverage->undefined += seen.undefined;
        coverage->decimal += seen.decimal;
        coverage->speaking += seen.speaking;
        coverage->timer1 += seen.timer1;
        for (int i = 0; i < 4; i++)
            coverage->modes[i] += seen.modes[i];
        coverage->io_states += seen.io_states;
        coverage->debug_stops += seen.debug_stops;
    }
    std::vector<digest> reference = run_path(c, path::reference);
    if (fast.size() != c.calls.size() || reference.size() != c.calls.size())
        return c.name + ": the firmware did not load";
    for (size_t i = 0; i < fast.size(); i++) {
        const digest &f = fast[i], &r = reference[i];
        std::string where = c.name + ": after call " + std::to_string(i + 1) + " of the frame loop, ";
        if (f.why != r.why)
            return where + "it stopped for " + std::to_string(f.why) + " on the fast path and " +
                   std::to_string(r.why) + " on the reference path";
        if (f.log != r.log || f.log_lines != r.log_lines)
            return where + "the trace logs differ (" + std::to_string(f.log_lines) + " lines fast, " +
                   std::to_string(r.log_lines) + " reference), " + first_log_difference(c, static_cast<int>(i));
        for (size_t s = 0; s < f.sections.size() && s < r.sections.size(); s++)
            if (f.sections[s].hash != r.sections[s].hash)
                return where + "the state section " + f.sections[s].tag + " differs, " +
                       first_state_difference(c, static_cast<int>(i));
        if (f.sections.size() != r.sections.size())
            return where + "a state could not be saved";
        if (f.picture != r.picture)
            return where + "the pictures differ";
        if (f.sound != r.sound || f.sound_blocks != r.sound_blocks)
            return where + "the sound blocks differ";
    }
    return "";
}
