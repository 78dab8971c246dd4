// The I/O processor against firmware of our own running on the processor:
// real port B writes, INT1 service routines and mailbox reads.
#include "iocpu_support.h"
#include "speech_frames.h"

#include "asm_support.h"
#include "core/iocpu.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms5220.h"
#include "core/tms7000.h"
#include "core/trace.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

class FirmwareTest : public IoCpuSoundTest {
protected:
    // Loads a firmware image assembled at build time as the internal ROM
    // (checking it against what the assembler makes of its source, for the
    // symbols) and powers the machine on.
    void boot(const std::string &name)
    {
        std::ifstream in(ORVANE_TEST_FIRMWARE "/" + name + ".bin", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string image = ss.str();
        asm_options o;
        o.base = 0xF800;
        o.size = 2048;
        fw = asm7000_assemble_file(ORVANE_TEST_FIRMWARE_SOURCES "/" + name + ".asm", o);
        ASSERT_TRUE(fw.ok) << errors_of(fw);
        ASSERT_EQ(image, std::string(fw.image.begin(), fw.image.end()));
        std::memcpy(rom_7020, image.data(), sizeof rom_7020);
        orv_cold_start();
    }

    int sym(const std::string &name) { return static_cast<int>(fw.symbols.at(name)); }
    int ram(const std::string &name, int offset = 0) { return ram_2k[sym(name) + offset - 0xC000]; }
    void set_ram(const std::string &name, int v) { ram_2k[sym(name) - 0xC000] = static_cast<uint8_t>(v); }

    // Where the firmware's INT1 routine will put the next byte it receives.
    static int rx_ptr() { return tms7000.rf[2] << 8 | tms7000.rf[3]; }
    // The bytes it received from `from` on.
    static std::vector<int> rx_from(int from)
    {
        std::vector<int> v;
        for (int a = from; a < rx_ptr(); a++)
            v.push_back(ram_2k[a - 0xC000]);
        return v;
    }

    // One instruction, with its time on the event clock as the frame loop
    // gives it. When `record_phases` is on, the states entered are taken
    // from the log as they come.
    void instruction()
    {
        p_pc = get_pc();
        int cycles = tms7000_orv_execute(1);
        veld_timer_update_clock({0, static_cast<uint32_t>(cycles)});
        veld_check_timers();
        set_trace_time(g_time);
        g_time += cycles;
        elapsed += cycles;
        if (record_phases && trace_log_size > 0) {
            for (const std::string &line : log_lines("io_cpu_callback():called phase="))
                phases.push_back(std::stoi(line.substr(line.find('=') + 1)));
            clear_log_str();
        }
    }
    template <class F> bool run_until(F done, long max_cycles)
    {
        long end = elapsed + max_cycles;
        while (!done()) {
            if (elapsed >= end)
                return false;
            instruction();
        }
        return true;
    }
    void run_cycles(long n)
    {
        long end = elapsed + n;
        while (elapsed < end)
            instruction();
    }
    // Runs the firmware up to the end of its start-up commands.
    void start_up()
    {
        ASSERT_TRUE(run_until([&] { return ram("STAGE") == 2; }, 1000000));
    }

    asm_result fw;
    long elapsed = 0;
    bool record_phases = false;
    std::vector<int> phases;
};

std::vector<int> rom_block_a()
{
    return std::vector<int>(rom_7041 + 1826, rom_7041 + 3097);
}

} // namespace

TEST_F(FirmwareTest, GreetingCommandsAndRomBlock)
{
    for (int i = 0; i < 4096; i++)
        rom_7041[i] = static_cast<uint8_t>((i * 13 + (i >> 7)) & 0xFF);
    write_file("debug.lst", "io_cpu_callback()");
    record_phases = true;
    boot("iolink");

    // The greeting, straight through to ready.
    ASSERT_TRUE(run_until([&] { return ram("STAGE") == 1; }, 5000));
    ASSERT_GE(phases.size(), 8u);
    EXPECT_EQ(std::vector<int>(phases.begin(), phases.begin() + 8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(rx_from(sym("RXLOG")), std::vector<int>{0x08});

    start_up();
    std::vector<int> want = {0x08, 0x09, 0x01, 0x00, 0x07, 0x04, 0xF6};
    std::vector<int> rom = rom_block_a();
    want.insert(want.end(), rom.begin(), rom.end());
    EXPECT_EQ(rx_ptr(), sym("BLKEND"));
    EXPECT_EQ(rx_from(sym("RXLOG")), want);
    int sum = 0;
    for (int b : rom)
        sum += b;
    EXPECT_EQ(ram("CSUM") << 8 | ram("CSUM", 1), sum & 0xFFFF);
    EXPECT_EQ(tms7000.rf[8], 3);  // three command bytes sent

    // Every state that a transition leads to was visited, in the order of
    // the handshake for the first command.
    for (int s = 0; s <= IO_STATE_COMM_SEND4; s++)
        EXPECT_NE(std::find(phases.begin(), phases.end(), s), phases.end()) << "state " << s;
    EXPECT_EQ(std::count(phases.begin(), phases.end(), IO_STATE_SEND_END), 0);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), IO_STATE_VOID), 0);
    auto cmd = std::find(phases.begin(), phases.end(), IO_STATE_COMMAND);
    ASSERT_GE(phases.end() - cmd, 7);
    EXPECT_EQ(std::vector<int>(cmd, cmd + 7), (std::vector<int>{9, 10, 11, 12, 13, 14, 7}));

    // Then only the idle cycle, through a whole frame (whose lines fill the
    // log several times over).
    record_phases = false;
    run_cycles(1000);
    clear_log_str();
    orv_loop(0xFFFF);
    EXPECT_EQ(log_lines("Created a timer").size(), log_lines("called phase=").size());
    std::vector<std::string> lines = log_lines("called phase=");
    ASSERT_EQ(lines.size(), 500u);
    for (size_t i = 0; i < lines.size(); i++) {
        bool ready = lines[i] == "io_cpu_callback():called phase=7 ready";
        bool poll = lines[i] == "io_cpu_callback():called phase=8 poll";
        ASSERT_TRUE(ready || poll) << lines[i];
        if (i > 0) {
            ASSERT_NE(lines[i], lines[i - 1]) << i;
        }
    }
}

TEST_F(FirmwareTest, KeyReportsReachTheInterruptRoutine)
{
    write_file("debug.lst", "io_cpu_state_poll()");
    boot("iolink");
    start_up();

    int mark = rx_ptr();
    send_key(0x41);
    run_cycles(2000);
    EXPECT_EQ(rx_from(mark), (std::vector<int>{0x01, 0x41}));

    // One latched code: the second key before the poll wins.
    mark = rx_ptr();
    send_key(0x30);
    send_key(0x31);
    run_cycles(2000);
    EXPECT_EQ(rx_from(mark), (std::vector<int>{0x01, 0x31}));

    // The joystick poll answers with the same code.
    mark = rx_ptr();
    set_ram("CMDARG", 0x02);
    set_ram("CMD", 3);
    run_cycles(3000);
    EXPECT_EQ(ram("CMD"), 0);
    EXPECT_EQ(rx_from(mark), (std::vector<int>{0x01, 0x31}));

    // A key pressed while a speech feed is collecting its bytes waits for
    // the last byte.
    clear_log_str();
    mark = rx_ptr();
    set_ram("CMD", 1);
    ASSERT_TRUE(run_until([] { return tms7041.data_count == 8; }, 2000));
    send_key(0x55);
    ASSERT_TRUE(run_until(
        [&] {
            EXPECT_EQ(rx_ptr(), mark);
            return tms7041.data_count == 0 || rx_ptr() != mark;
        },
        5000));
    EXPECT_TRUE(tms7041.flags & KEY_PENDING);
    EXPECT_FALSE(log_lines("poll disabled by comm").empty());
    run_cycles(3000);
    std::vector<int> got = rx_from(mark);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 2), (std::vector<int>{0x01, 0x55}));
    EXPECT_EQ(tms7000.rf[8], 3 + 1 + 9);
}

TEST_F(FirmwareTest, PhraseIsSpokenOnTheFirmwaresFeed)
{
    write_file("debug.lst", "speech_do()");
    boot("iolink");
    start_up();

    speech_stream phrase;
    const int frames = 10;
    for (int i = 0; i < frames; i++)
        phrase.add(voiced_frame(10 + i % 4, 30 - i, {20, 11, 9 + i % 3, 8, 9, 6, 8, 3, 4, 5}));
    phrase.add(stop_frame());
    std::vector<uint8_t> data = phrase.bytes();  // 504 bits: 63 bytes
    const int groups = 5;
    data.resize(24 + 8 * groups);
    rom_cart[0x4000] = groups;
    std::memcpy(rom_cart + 0x4001, data.data(), data.size());

    blocks.clear();
    set_ram("CMD", 2);
    ASSERT_TRUE(run_until([&] { return ram("CMD") == 0; }, 20L * 200 * 307));
    EXPECT_EQ(ram("SPOKEN"), 1);
    EXPECT_GE(ram("LOWS"), groups);
    EXPECT_EQ(tms7000.rf[16], 0);  // every group was sent
    EXPECT_EQ(log_lines("STOP frame").size(), 1u);
    EXPECT_TRUE(log_lines("UNDERFLOW").empty());
    run_cycles(3 * 200 * 320);

    // One-bit blocks of a silent machine around one run of speech blocks,
    // one per frame.
    auto is_silent = [](const std::vector<uint8_t> &b) {
        return std::all_of(b.begin(), b.end(), [](uint8_t s) { return s == 49; });
    };
    auto first = std::find_if(blocks.begin(), blocks.end(), [&](auto &b) { return !is_silent(b); });
    ASSERT_GE(blocks.end() - first, frames);
    for (int i = 0; i < frames; i++) {
        auto [lo, hi] = std::minmax_element(first[i].begin(), first[i].end());
        EXPECT_GT(*hi - *lo, 8) << "frame " << i;
    }
    EXPECT_TRUE(std::all_of(first + frames, blocks.end(), is_silent));
    EXPECT_GE(blocks.end() - (first + frames), 2);
}

TEST_F(FirmwareTest, PortBEdgesArriveBitZeroFirst)
{
    write_file("debug.lst", "io_cpu_event()");
    boot("portb_edges");
    ASSERT_TRUE(run_until([&] { return get_pc() == sym("DONE"); }, 200));
    std::vector<std::string> events;
    for (const std::string &line : log_lines("io_cpu_event():called phase="))
        events.push_back(line.substr(line.find("event=")));
    EXPECT_EQ(events, (std::vector<std::string>{"event=<B0 is high>", "event=<B1 is high>",
                                                "event=<B0 is low>", "event=<B1 is low>"}));
}
