// Reference runs: whole runs of firmware of our own (text and bitmap modes,
// continuous speech, a tape, typed keys) whose files and end state must stay
// the same byte for byte whatever is done to make the emulator faster. Each
// run is summed up by hashes of its PNG and WAV files, of the machine state
// at the end (registers, peripheral file, write-watch, video RAM, cycle
// counts, event clock) and, for the traced runs, of the trace log.
//
// A hash that differs means the machine changed. Renew a hash only for a
// deliberate change of behaviour, and say which in the commit.
#include "test_support.h"

#include "core/loop.h"
#include "core/memory.h"
#include "core/state.h"
#include "core/timers.h"
#include "core/tms3556.h"
#include "core/tms7000.h"
#include "core/trace.h"
#include "tools/headless/headless.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// 64-bit FNV-1a.
struct fnv {
    uint64_t h = 0xCBF29CE484222325ull;
    fnv &add(const void *data, size_t n)
    {
        const auto *p = static_cast<const uint8_t *>(data);
        for (size_t i = 0; i < n; i++)
            h = (h ^ p[i]) * 0x100000001B3ull;
        return *this;
    }
    fnv &add(const std::string &s) { return add(s.data(), s.size()); }
    std::string hex() const
    {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
        return text;
    }
};

// Everything the run leaves in the machine that the files may not show.
std::string state_hash()
{
    fnv f;
    f.add(&tms7000.pc.w, 2).add(&tms7000.sp, 1).add(&tms7000.sr, 1).add(tms7000.irq_state, 3);
    f.add(tms7000.rf, sizeof tms7000.rf).add(tms7000.pf, sizeof tms7000.pf);
    f.add(&tms7000.t1_prescaler, 1).add(&tms7000.t1_decrementer, 2);
    f.add(PC_ON_WRITE, sizeof PC_ON_WRITE).add(ram_2k, sizeof ram_2k);
    f.add(&porta_val, 1).add(&portb_val, 1);
    f.add(tms3556.vram, sizeof tms3556.vram);
    // The frame count in the 32 bits these hashes were first taken with.
    const int32_t frames = static_cast<int32_t>(vblnum);
    f.add(&g_time, sizeof g_time).add(&frames, sizeof frames);
    f.add(&g_timer_clock.seconds, 4).add(&g_timer_clock.cycles, 4);
    return f.hex();
}

// The whole trace ring as one text.
std::string whole_log()
{
    std::vector<char> text(1000 * 256 + 1);
    get_log_str(text.data(), static_cast<int>(text.size()));
    return text.data();
}

// A square wave on tape, 8-bit mono at 11025 Hz.
std::string square_tape()
{
    std::string data(30000, '\0');
    for (size_t i = 0; i < data.size(); i++)
        data[i] = static_cast<char>(i % 40 < 20 ? 200 : 50);
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; i++)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    uint32_t n = static_cast<uint32_t>(data.size());
    return "RIFF" + le(36 + n, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(11025, 4) +
           le(11025, 4) + le(1, 2) + le(8, 2) + "data" + le(n, 4) + data;
}

class ReferenceRuns : public CoreTest {
protected:
    // Firmware in bios/: `path` as the processor's internal ROM and a blank
    // I/O processor image.
    void firmware(const std::string &path)
    {
        ASSERT_EQ(std::system("mkdir -p bios"), 0);
        std::string rom = read_file(path);
        ASSERT_EQ(rom.size(), 2048u) << path;
        write_file("bios/bios7020.bin", rom);
        write_file("bios/7041b.bin", std::string(4096, '\0'));
    }

    // Runs orvane-headless in this process; returns "png wav state" hashes.
    std::string run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "orvane-headless");
        args.insert(args.end(), {"--screenshot", "s.png", "--audio", "a.wav"});
        std::vector<const char *> argv;
        for (auto &a : args)
            argv.push_back(a.c_str());
        FILE *out = std::fopen("out.txt", "w");
        FILE *err = std::fopen("err.txt", "w");
        int status = hl_main(static_cast<int>(argv.size()), argv.data(), out, err);
        std::fclose(out);
        std::fclose(err);
        EXPECT_EQ(status, 0) << read_file("err.txt");
        return fnv().add(read_file("s.png")).hex() + " " + fnv().add(read_file("a.wav")).hex() + " " +
               state_hash();
    }

    // Runs the firmware frame by frame as the headless runner does, with the
    // trace names of `names` on; the hash covers the last 1000 lines of
    // every frame and the end state.
    std::string traced(const std::string &names, int frames)
    {
        write_file("debug.lst", names);
        orv_clear_globals();
        orv_host_hooks saved = orv_host;
        orv_host = {};
        orv_host.style = ORV_LOOP_FRAME;
        EXPECT_EQ(MemInit("bios"), nullptr);
        orv_cold_start();
        fnv f;
        f.add(whole_log());
        clear_log_str();
        for (int i = 0; i < frames; i++) {
            orv_loop(0xFFFF);
            f.add(whole_log());
            clear_log_str();
        }
        orv_host = saved;
        return f.hex() + " " + state_hash();
    }
};

const std::string talker = ORVANE_TEST_FIRMWARE "/talker.bin";

TEST_F(ReferenceRuns, TalkerInTextModeWithKeys)
{
    firmware(talker);
    EXPECT_EQ(run({"--frames", "300", "--type", "20:hello", "--key", "150:0x86"}),
              "a8855ff0bc4ec4e5 7e59714873485c9e 846e4cd09c2a9c48");
}

TEST_F(ReferenceRuns, TalkerInBitmapModeWithTape)
{
    firmware(talker);
    std::string cart(16384, '\xFF');
    cart[0] = '\x80';  // bitmap mode
    write_file("cart.bin", cart);
    write_file("tape.wav", square_tape());
    EXPECT_EQ(run({"--frames", "300", "--rom", "cart.bin", "--cassette", "tape.wav", "--scale", "2"}),
              "75d1f9193657a81b 7e59714873485c9e fa31ecc0fea54497");
}

TEST_F(ReferenceRuns, BitmapFillWithTapeAndKeys)
{
    firmware(ORVANE_TEST_PROGRAMS "/fill_bitmap.bin");
    write_file("tape.wav", square_tape());
    EXPECT_EQ(run({"--frames", "30", "--cassette", "tape.wav", "--type", "1:hello"}),
              "3fcb4ca65e18d082 9e77c212718e1a69 72d901b099755e0f");
}

TEST_F(ReferenceRuns, TalkerTracedOnTheBus)
{
    firmware(talker);
    EXPECT_EQ(traced("program_read_byte_8() program_write_byte_8() io_write_byte_8()", 6),
              "59aad8572c9ec81f 8b4ea7bdcdaefe59");
}

TEST_F(ReferenceRuns, TalkerTracedInTimersSpeechAndVideo)
{
    firmware(talker);
    EXPECT_EQ(traced("veld_check_timers() veld_timer_create() veld_timer_remove() double2time "
                     "speech_buffer_do() io_cpu_callback() tms3556_redraw() tms7000_orv_execute() "
                     "tms3556_vram_w()",
                     40),
              "42f33b8c37b2a27a 20c2c524dd3717c9");
}

// The headless runner draws only the last frame; a state it saves holds
// the same picture and renderer state as a run that drew every frame.
TEST_F(ReferenceRuns, StateSavedWithoutDrawingEveryFrame)
{
    firmware(talker);
    ASSERT_EQ(run({"--frames", "77", "--save-state", "runner.state"}).size(), 50u);

    orv_clear_globals();
    orv_host_hooks saved = orv_host;
    orv_host = {};
    orv_host.style = ORV_LOOP_FRAME;
    ASSERT_EQ(MemInit("bios"), nullptr);
    orv_cold_start();
    for (int i = 0; i < 77; i++)
        orv_loop(0xFFFF);
    ASSERT_EQ(orv_state_save_file("drawn.state"), "");
    orv_host = saved;
    std::string drawn = read_file("drawn.state");
    ASSERT_GT(drawn.size(), 32768u);
    EXPECT_TRUE(read_file("runner.state") == drawn);
}

// Runs in which only some of the functions on the untraced fast paths (the
// I/O processor's state changes, port A reads) have their lines asked for:
// the fast paths step aside, and the log is line for line what it was.
TEST_F(ReferenceRuns, TalkerTracedInPart)
{
    firmware(talker);
    EXPECT_EQ(traced("veld_timer_create() io_read_byte_8()", 6), "f5cea5b78df41b7a 8b4ea7bdcdaefe59");
    EXPECT_EQ(traced("io_cpu_callback() tms70x0_pf_r()", 6), "44b2e7a894c1881c 8b4ea7bdcdaefe59");
    EXPECT_EQ(traced("veld_timer_remove() double2time", 6), "f26cae338f75810f 8b4ea7bdcdaefe59");
}

// Timer 1 waking the processor from IDLE, with DSB, DECD A and an
// undefined opcode between interrupts (tests/programs/timer_idle.asm):
// untraced, with only the lines every run writes, and traced.
TEST_F(ReferenceRuns, TimerOneIdleAndDecimalSubtract)
{
    firmware(ORVANE_TEST_PROGRAMS "/timer_idle.bin");
    EXPECT_EQ(run({"--frames", "200"}), "9645f7922ce1b476 e0ee33573f897671 141207e9a589f73b");
    EXPECT_EQ(traced("", 20), "de9ff391afbc22e4 9308965965f71a22");
    EXPECT_EQ(traced("tms7000_service_timer1() tms7000_do_interrupt() bcd_sub() tms70x0_pf_r() "
                     "tms7000_check_IRQ_lines() tms7000_set_irq_line()",
                     4),
              "4a3b852592f94f37 f515e38b688063c7");
}

// Our built-in firmware (no bios directory): timer 1 and its interrupt run
// the whole time; the title screen, then the demo cartridge started by keys.
TEST_F(ReferenceRuns, BuiltInFirmwareWithKeys)
{
    EXPECT_EQ(run({"--frames", "500", "--type", "200:abc"}), "ba3dbb9e3f51543e b5de4d6a8579e398 d7bc0821a56eeadb");
}

} // namespace
