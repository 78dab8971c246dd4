// Save states and rewind: a state brings the machine back exactly, in a
// fresh process too; bad files change nothing; every global of the core is
// either saved or declared outside the machine.
#include "test_support.h"
#include "speech_frames.h"

#include "core/cassette.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/rewind.h"
#include "core/components.h"
#include "core/state.h"
#include "core/state_image.h"
#include "core/timers.h"
#include "core/tms3556.h"
#include "core/tms5220.h"
#include "tools/headless/headless.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

std::string le(uint32_t v, int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// An unsigned 8-bit mono WAV file.
std::string wav_u8(int rate, const bytes &data)
{
    uint32_t n = static_cast<uint32_t>(data.size());
    return "RIFF" + le(36 + n, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(rate, 4) + le(rate, 4) +
           le(1, 2) + le(8, 2) + "data" + le(n, 4) + std::string(data.begin(), data.end());
}

std::vector<uint8_t> sound;
void keep_sound(const unsigned char *block, int length) { sound.insert(sound.end(), block, block + length); }

class StateTest : public CoreTest {
protected:
    // Firmware of our own in bios/ (iolink talks to the I/O processor and
    // speaks a phrase from the cartridge area when RAM byte 0xC000 is 2), a
    // 32 KB cartridge holding the phrase, and a tape of a square wave.
    void write_machine_files()
    {
        ASSERT_EQ(std::system("mkdir -p bios"), 0);
        write_file("bios/bios7020.bin", read_file(ORVANE_TEST_FIRMWARE "/iolink.bin"));
        std::string iop(4096, '\0');
        for (size_t i = 0; i < iop.size(); i++)
            iop[i] = static_cast<char>(i * 7 + 3);
        write_file("bios/7041b.bin", iop);

        speech_stream phrase;
        for (int i = 0; i < 10; i++)
            phrase.add(voiced_frame(10 + i % 4, 30 - i, {20, 11, 9 + i % 3, 8, 9, 6, 8, 3, 4, 5}));
        phrase.add(stop_frame());
        bytes data = phrase.bytes();
        data.resize(24 + 8 * 5);
        std::string cart(32768, '\xFF');
        cart[0x4000] = 5;
        std::memcpy(&cart[0x4001], data.data(), data.size());
        write_file("cart.bin", cart);

        bytes tape;
        for (int i = 0; i < 40000; i++)
            tape.push_back((i / 9) % 2 ? 200 : 50);
        write_file("tape.wav", wav_u8(11025, tape));
    }

    // Starts the machine as the headless runner does.
    void boot(bool with_tape = true)
    {
        write_machine_files();
        sound.clear();
        orv_host = {};
        orv_host.style = ORV_LOOP_FRAME;
        orv_host.sound_block = keep_sound;
        ASSERT_EQ(MemInit("bios"), nullptr);
        orv_cold_start();
        ASSERT_EQ(RomLoad("cart.bin"), nullptr);
        orv_reset();
        std::string warning;
        if (with_tape) {
            ASSERT_EQ(hl_load_cassette("tape.wav", warning), "");
        }
        // Timer 1 running (its interrupt stays off: the firmware does not expect it).
        program_write_byte_8(0x102, 0x35);
        program_write_byte_8(0x103, 0x83);
        // Something to show: text cells of every colour, some flashing.
        for (int a = 0; a < TMS3556_VRAM_SIZE; a++)
            tms3556.vram[a] = static_cast<uint8_t>(a * 37 + (a >> 8));
    }

    static void frames(int n)
    {
        for (int i = 0; i < n; i++)
            orv_loop(0xFFFF);
    }

    // Loads a state that must be refused, and checks that nothing changed.
    std::string refused(const bytes &state)
    {
        bytes before = orv_state_save();
        std::string note = "untouched";
        std::string error = orv_state_load(state.data(), state.size(), note);
        EXPECT_NE(error, "");
        EXPECT_EQ(orv_state_save(), before) << "a refused state changed the machine: " << error;
        return error;
    }

    int command(const std::string &args)
    {
        std::string cmd = std::string(ORVANE_HEADLESS_COMMAND) + " " + args + " >out.txt 2>err.txt";
        int rc = std::system(cmd.c_str());
        err = read_file("err.txt");
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    std::string err;
};

void fix_checksum(bytes &s)
{
    // Recomputed the way the file format says: CRC-32 of every byte before it.
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i + 4 < s.size(); i++) {
        crc ^= s[i];
        for (int k = 0; k < 8; k++)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    crc ^= 0xFFFFFFFFu;
    for (int i = 0; i < 4; i++)
        s[s.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

} // namespace

TEST_F(StateTest, AStateLoadedInAFreshProcessRunsOnExactlyAsTheMachineDid)
{
    boot();
    frames(8);                // the firmware's start-up with the I/O processor
    ram_2k[0] = 2;            // speak the phrase
    frames(5);
    // Saved in the middle of everything: speech, a tape, I/O handshakes.
    ASSERT_EQ(tms5220.speak_state, 2);
    ASSERT_NE(K7_buffer, nullptr);
    ASSERT_EQ(orv_state_save_file("mid.state"), "");

    sound.clear();
    frames(25);
    ASSERT_EQ(hl_write_png("here.png", tms3556_screen, 1), "");
    bytes here = orv_state_save();
    bytes here_sound = sound;
    // The speech came out after the save.
    ASSERT_NE(std::count(here_sound.begin(), here_sound.end(), here_sound[0]),
              static_cast<long>(here_sound.size()));

    ASSERT_EQ(command("--bios bios --cassette tape.wav --load-state mid.state --frames 25 "
                      "--screenshot there.png --audio there.wav --save-state there.state"),
              0)
        << err;
    // No cartridge given: the state's own comes in, and the runner says so.
    EXPECT_EQ(err, "orvane-headless: The cartridge of the state replaces the one loaded.\n");
    std::string there_file = read_file("there.state");
    bytes there(there_file.begin(), there_file.end());
    auto a = orv_state_section_hashes(here), b = orv_state_section_hashes(there);
    ASSERT_EQ(a.size(), 10u);
    ASSERT_EQ(b.size(), a.size());
    for (size_t i = 0; i < a.size(); i++)
        EXPECT_EQ(a[i].hash, b[i].hash) << "section " << a[i].tag << " differs";
    EXPECT_EQ(read_file("here.png"), read_file("there.png"));
    std::string wav = read_file("there.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(44), std::string(here_sound.begin(), here_sound.end()));
}

TEST_F(StateTest, EveryGlobalOfTheCoreIsSavedOrDeclaredOutsideTheMachine)
{
    std::string cmd = std::string("nm -C --defined-only '") + ORVANE_CORE_LIBRARY + "' > symbols.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    FILE *f = std::fopen("symbols.txt", "r");
    ASSERT_NE(f, nullptr);
    std::set<std::string> data, all;
    char line[1024];
    while (std::fgets(line, sizeof line, f)) {
        std::string s(line);
        if (!s.empty() && s.back() == '\n')
            s.pop_back();
        // "address type name"
        if (s.size() < 20 || s[16] != ' ' || s[18] != ' ')
            continue;
        char type = s[17];
        std::string name = s.substr(19);
        for (size_t at; (at = name.find("(anonymous namespace)::")) != std::string::npos;)
            name.erase(at, 23);
        if (name.rfind("__", 0) == 0 || name.rfind(".", 0) == 0 || name.rfind("std::", 0) == 0 ||
            name.rfind("DW.ref.", 0) == 0 || name.rfind("guard variable", 0) == 0 ||
            name.rfind("vtable", 0) == 0 || name.rfind("typeinfo", 0) == 0)
            continue;
        if (std::strchr("bBdDgGsS", type))
            data.insert(name);
        if (std::strchr("bBdDgGsSrRvV", type))
            all.insert(name);
    }
    std::fclose(f);
    ASSERT_GT(data.size(), 40u);

    auto matches = [](const std::string &pattern, const std::string &name) {
        size_t star = pattern.find('*');
        if (star == std::string::npos)
            return pattern == name;
        std::string head = pattern.substr(0, star), tail = pattern.substr(star + 1);
        return name.size() >= head.size() + tail.size() && name.compare(0, head.size(), head) == 0 &&
               name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
    };
    for (const std::string &name : data) {
        bool placed = false;
        for (int i = 0; i < orv_global_place_count; i++)
            placed = placed || matches(orv_global_places[i].name, name);
        EXPECT_TRUE(placed) << "the global " << name
                            << " is neither saved in states nor declared outside the machine (core/state_globals.cpp)";
    }
    // And the list names no global that is gone.
    for (int i = 0; i < orv_global_place_count; i++) {
        // A reference that optimised builds resolve away.
        if (std::strncmp(orv_global_places[i].place, "unoptimised builds only", 23) == 0)
            continue;
        bool found = false;
        for (const std::string &name : all)
            found = found || matches(orv_global_places[i].name, name);
        EXPECT_TRUE(found) << orv_global_places[i].name << " is listed but not in the core";
    }
}

// Every record of the parts a state carries filled with random bytes, each
// listed field then given a random value in its range: saved, cleared and
// loaded, the machine holds the same bytes again. A field that a record
// gains and its section leaves out comes back as zero and is caught here.
TEST_F(StateTest, EveryFieldOfThePartsRecordsGoesThroughTheFile)
{
#if defined(__has_builtin)
#if __has_builtin(__builtin_clear_padding)
#define ORVANE_CLEAR_PADDING 1
#endif
#endif
#ifndef ORVANE_CLEAR_PADDING
    GTEST_SKIP() << "needs __builtin_clear_padding to compare records without their padding";
#else
    boot(false);
    frames(2);
    auto m = std::make_unique<orv_state_image>();
    state_take_image(*m);
    // What names the machine's firmware, cartridge, timers and tape stays.
    const orv_state_image kept = *m;
    uint64_t seed = 0x9E3779B97F4A7C15ull;
    auto *raw = reinterpret_cast<uint8_t *>(m.get());
    for (size_t i = 0; i < sizeof *m; i++) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        raw[i] = static_cast<uint8_t>(seed >> 56);
    }
    m->bios7020_hash = kept.bios7020_hash;
    m->iop_rom_hash = kept.iop_rom_hash;
    m->cart_hash = kept.cart_hash;
    std::memcpy(m->cart, kept.cart, sizeof m->cart);
    m->timer_num = kept.timer_num;
    std::memcpy(m->timers, kept.timers, sizeof m->timers);
    m->clock = kept.clock;
    m->tape_playing = kept.tape_playing;
    m->tape_hash = kept.tape_hash;
    m->tape_size = kept.tape_size;
    m->tape_where = kept.tape_where;
    m->tape_period = kept.tape_period;
    int randomised = 0;
    for (int i = 0; i < state_part_count(); i++) {
        const orv_component &part = *state_parts()[i];
        std::string tag = part.section;
        if (tag == "IDNT" || tag == "CART" || tag == "TIME" || tag == "TAPE")
            continue;
        state_fields f(state_fields::random_values{static_cast<uint64_t>(i) * 7919 + 1});
        part.fields(f, *m);
        randomised++;
    }
    EXPECT_EQ(randomised, 6);
    state_put_image(*m);

    auto before = std::make_unique<orv_state_image>();
    state_take_image(*before);
    bytes saved = orv_state_save();
    orv_clear_globals();
    ASSERT_EQ(MemInit("bios"), nullptr);
    std::string note;
    ASSERT_EQ(orv_state_load(saved.data(), saved.size(), note), "");
    auto after = std::make_unique<orv_state_image>();
    state_take_image(*after);

    // g++ leaves the padding inside members of so large an object: each record too.
    for (orv_state_image *image : {before.get(), after.get()}) {
        __builtin_clear_padding(image);
        __builtin_clear_padding(&image->cpu);
        __builtin_clear_padding(&image->timers);
        __builtin_clear_padding(&image->loop);
        __builtin_clear_padding(&image->iop);
        __builtin_clear_padding(&image->vdp);
        __builtin_clear_padding(&image->render);
        __builtin_clear_padding(&image->speech_in);
        __builtin_clear_padding(&image->speech);
        __builtin_clear_padding(&image->speech_blocks);
    }
    const auto *b = reinterpret_cast<const uint8_t *>(before.get());
    const auto *a = reinterpret_cast<const uint8_t *>(after.get());
    size_t first = 0;
    while (first < sizeof *before && a[first] == b[first])
        first++;
    EXPECT_EQ(first, sizeof *before) << "the image differs from byte " << first
                                     << " of orv_state_image on: a field the state file does not carry";
#endif
}

TEST_F(StateTest, BadFilesAreRefusedWithTheirReasonAndChangeNothing)
{
    boot();
    frames(3);
    bytes good = orv_state_save();
    frames(2);

    EXPECT_EQ(refused(bytes(good.begin(), good.begin() + 10)), "Not an Orvane state file");
    bytes s = good;
    s[0] = 'X';
    EXPECT_EQ(refused(s), "Not an Orvane state file");
    EXPECT_EQ(refused(bytes(good.begin(), good.end() - 1000)), "The state file is truncated (in section SPCH)");

    s = good;
    s[8] = 7;
    EXPECT_EQ(refused(s), "The state has format version 7, newer than this program reads (version 2)");
    s[8] = 0;
    EXPECT_EQ(refused(s), "The state has format version 0, older than this program reads (version 1)");

    s = good;
    s[good.size() / 2] ^= 0x10;
    EXPECT_EQ(refused(s), "The state file is damaged (its checksum does not match)");

    // A section that claims to be longer than the file.
    s = good;
    s[16 + 4 + 3] = 0x7F;
    fix_checksum(s);
    EXPECT_EQ(refused(s), "The state file is truncated (in section IDNT)");

    // Hostile values with a correct checksum: made by saving a machine that
    // cannot exist.
    int sel = tms3556.sel;
    tms3556.sel = 7;
    s = orv_state_save();
    tms3556.sel = sel;
    EXPECT_EQ(refused(s), "The state holds a value this machine cannot have "
                          "(VDP: register port phase is 7, outside 0 to 2)");
    veld_timer t = timer_tab[0];
    timer_tab[0].tag = 99;
    s = orv_state_save();
    timer_tab[0] = t;
    EXPECT_EQ(refused(s), "The state holds a value this machine cannot have "
                          "(TIME: timer tag 99 is not one of this machine's)");

    // The good state still loads.
    std::string note;
    EXPECT_EQ(orv_state_load(good.data(), good.size(), note), "");
    EXPECT_EQ(orv_state_save(), good);
    EXPECT_EQ(note, "");

    // Files that cannot be read: the system's reason.
    std::string error = orv_state_load_file("missing.state", note);
    EXPECT_EQ(error, "Cannot open missing.state: No such file or directory");
    EXPECT_EQ(command("--bios bios --load-state missing.state"), 1);
    EXPECT_EQ(err, "orvane-headless: Cannot open missing.state: No such file or directory\n");
    ASSERT_EQ(mkdir("dir.state", 0755), 0);
    EXPECT_EQ(orv_state_load_file("dir.state", note), "Cannot read dir.state: Is a directory");
    EXPECT_EQ(orv_state_save(), good);
}

TEST_F(StateTest, AStateFromOtherFirmwareIsRefusedNamingWhatDiffers)
{
    boot();
    frames(2);
    bytes state = orv_state_save();
    rom_7020[0x10] ^= 1;
    EXPECT_EQ(refused(state), "This state was made with other firmware: bios7020.bin differs");
    rom_7041[0x400] ^= 1;
    EXPECT_EQ(refused(state), "This state was made with other firmware: bios7020.bin and 7041b.bin differ");
    rom_7020[0x10] ^= 1;
    EXPECT_EQ(refused(state), "This state was made with other firmware: 7041b.bin differs");
}

TEST_F(StateTest, ATapeGoesOnOnlyWithTheSameRecording)
{
    boot();
    frames(3);
    bytes state = orv_state_save();
    int where = K7where;
    frames(2);

    // Another recording loaded: the state loads with the tape stopped.
    const uint8_t other[] = {1, 2, 3, 4};
    ASSERT_EQ(orv_load_K7({8000, K7_U8, 1, 1}, other, sizeof other), nullptr);
    std::string note;
    ASSERT_EQ(orv_state_load(state.data(), state.size(), note), "");
    EXPECT_EQ(note, "The tape this state was playing is not loaded: it stays stopped.");
    EXPECT_EQ(K7_buffer, nullptr);
    EXPECT_EQ(veld_timer_remove(K7_TIMER), 0);

    // The same recording again: it goes on from where the state was.
    std::string warning;
    ASSERT_EQ(hl_load_cassette("tape.wav", warning), "");
    ASSERT_EQ(orv_state_load(state.data(), state.size(), note), "");
    EXPECT_EQ(note, "");
    EXPECT_EQ(K7where, where);
    EXPECT_EQ(orv_state_save(), state);
}

TEST_F(StateTest, RewindGoesBackOneSecondOfFramesAtATime)
{
    boot(false);
    ram_2k[0] = 2;  // speak: every timer busy
    bytes at_second_2, five_frames_later;
    int64_t frames_at_2 = 0;
    for (int i = 1; i <= 1 + 3 * ORV_REWIND_FRAMES; i++) {
        frames(1);
        orv_rewind_frame();
        if (i == 1 + 2 * ORV_REWIND_FRAMES) {
            at_second_2 = orv_state_save();
            frames_at_2 = vblnum;
        }
        if (i == 6 + 2 * ORV_REWIND_FRAMES)
            five_frames_later = orv_state_save();
    }
    EXPECT_EQ(orv_rewind_count(), 4);
    // The memory the programs report: the states themselves, no slack.
    EXPECT_EQ(orv_rewind_bytes(), 4 * at_second_2.size());

    // From a state just taken: exactly one second of frames back.
    ASSERT_TRUE(orv_rewind_back());
    EXPECT_EQ(vblnum, frames_at_2);
    EXPECT_EQ(orv_state_save(), at_second_2);
    EXPECT_EQ(orv_rewind_count(), 3);

    // The machine runs on from there as it did.
    frames(5);
    orv_rewind_frame();
    EXPECT_EQ(orv_state_save(), five_frames_later);

    // In the middle of a second: back to its start, then a second further.
    ASSERT_TRUE(orv_rewind_back());
    EXPECT_EQ(orv_state_save(), at_second_2);
    ASSERT_TRUE(orv_rewind_back());
    EXPECT_EQ(vblnum, frames_at_2 - ORV_REWIND_FRAMES);
    ASSERT_TRUE(orv_rewind_back());
    EXPECT_FALSE(orv_rewind_back());
    EXPECT_EQ(vblnum, 1);
    std::printf("[ state    ] %zu bytes a state: %zu bytes for %d states of rewind\n", at_second_2.size(),
                at_second_2.size() * ORV_REWIND_STATES, ORV_REWIND_STATES);
}

TEST_F(StateTest, SlotFilesLieBesideTheCartridge)
{
    EXPECT_EQ(orv_state_slot_path("games/pong.rom", 3), "games/pong.st3");
    EXPECT_EQ(orv_state_slot_path("games.d/pong", 1), "games.d/pong.st1");
    EXPECT_EQ(orv_state_slot_path("", 2), "orvane.st2");
}

TEST_F(StateTest, SavingReplacesTheFileWholeAndNeverALink)
{
    boot();
    write_file("kept.bin", "user data");
    ASSERT_EQ(symlink("kept.bin", "slot.st1"), 0);
    EXPECT_EQ(orv_state_save_file("slot.st1"), "Cannot write slot.st1: Is a symbolic link");
    EXPECT_EQ(read_file("kept.bin"), "user data");
    write_file("slot.st2", "an older state");
    ASSERT_EQ(orv_state_save_file("slot.st2"), "");
    std::string note;
    EXPECT_EQ(orv_state_load_file("slot.st2", note), "");

    // A directory that does not exist: the reason, and nothing left behind.
    EXPECT_EQ(orv_state_save_file("missing/slot.st1"), "Cannot write missing/slot.st1: No such file or directory");
}

namespace {

// Where the LOOP section's fields start in a state, and where its frame
// count lies in them (after the last instruction's cycles, its clock step,
// the line's cycles and the scan line).
size_t loop_fields(const bytes &s)
{
    size_t at = 16;
    while (std::memcmp(&s[at], "LOOP", 4) != 0)
        at += 8 + (s[at + 4] | s[at + 5] << 8 | s[at + 6] << 16);
    return at + 8;
}
constexpr size_t FRAMES_IN_LOOP = 4 + 8 + 4 + 4;

// The same state as format 1 wrote it: the frame count in 32 bits.
bytes as_format_1(bytes s)
{
    size_t loop = loop_fields(s);
    s[8] = 1;
    s[loop - 4] -= 4;  // the section's size
    s.erase(s.begin() + static_cast<long>(loop + FRAMES_IN_LOOP + 4), s.begin() + static_cast<long>(loop + FRAMES_IN_LOOP + 8));
    fix_checksum(s);
    return s;
}

} // namespace

// The frame count cannot overflow: a state whose count has passed the
// 32-bit limit runs on with its keys delivered on time, older files with
// the 32-bit count still load, and a count no run could reach is refused.
TEST_F(StateTest, TheFrameCountNeverOverflows)
{
    boot(false);
    frames(3);
    vblnum = 0x7FFFFFFF - 3;  // even: the keyboard is polled on frames 0, 2, 4 ... of the run
    ASSERT_EQ(orv_state_save_file("near.state"), "");
    std::string out, err;
    ASSERT_EQ(run_headless({"--bios", "bios", "--load-state", "near.state", "--frames", "8", "--key", "2:65", "--key",
                            "5:66"},
                           out, err),
              0)
        << err;
    EXPECT_EQ(vblnum, int64_t{0x7FFFFFFF} + 5);
    ASSERT_EQ(hl_last.keys_sent.size(), 2u);
    EXPECT_EQ(hl_last.keys_sent[0].frame, 2);
    EXPECT_EQ(hl_last.keys_sent[1].frame, 6);  // the next poll

    // A count past 2^31 goes into a file and comes back whole.
    bytes past = orv_state_save();
    std::string note;
    frames(1);
    ASSERT_EQ(orv_state_load(past.data(), past.size(), note), "");
    EXPECT_EQ(vblnum, int64_t{0x7FFFFFFF} + 5);

    // Format 1: the same machine with a 32-bit count, one that had wrapped
    // included.
    vblnum = 12345;
    bytes v2 = orv_state_save();
    bytes v1 = as_format_1(v2);
    ASSERT_EQ(v1.size(), v2.size() - 4);
    vblnum = 0;
    ASSERT_EQ(orv_state_load(v1.data(), v1.size(), note), "");
    EXPECT_EQ(vblnum, 12345);
    EXPECT_EQ(orv_state_save(), v2);
    vblnum = 0x80000005;  // wrapped to -2147483643 in 32 bits
    v1 = as_format_1(orv_state_save());
    vblnum = 0;
    ASSERT_EQ(orv_state_load(v1.data(), v1.size(), note), "");
    EXPECT_EQ(vblnum, 0x80000005);

    vblnum = ORV_MAX_LOADED_FRAMES + 1;
    bytes s = orv_state_save();
    vblnum = 0;
    EXPECT_EQ(refused(s), "The state holds a value this machine cannot have "
                          "(LOOP: frames is 4611686018427387905, outside 0 to 4611686018427387904)");
    vblnum = -1;
    s = orv_state_save();
    vblnum = 0;
    EXPECT_EQ(refused(s), "The state holds a value this machine cannot have "
                          "(LOOP: frames is -1, outside 0 to 4611686018427387904)");
}
