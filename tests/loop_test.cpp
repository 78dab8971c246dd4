#include "iocpu_support.h"
#include "test_support.h"

#include "core/board.h"
#include "core/exec_mode.h"
#include "core/iocpu.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/timers.h"
#include "core/tms3556.h"
#include "core/tms7000.h"

#include <cstring>
#include <initializer_list>
#include <map>
#include <vector>

namespace {

struct HostCounts {
    int key_polls = 0;
    int frames_shown = 0;
    int frame_ends = 0;
    int stops = 0;
    std::vector<int> polled_frames;  // frames_shown at each poll
};
HostCounts host;
volatile char stop_key;

void count_poll() { host.polled_frames.push_back(host.frames_shown), host.key_polls++; }
void count_frame() { host.frames_shown++; }
void count_end()
{
    host.frame_ends++;
    if (host.frame_ends == 3)
        stop_key = 1;  // the user holds the stop key during the third frame's pause
}
void count_stop() { host.stops++; }

class LoopTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        host = HostCounts();
        stop_key = 0;
        orv_host = {};
        orv_host.key_poll = count_poll;
        orv_host.frame_ready = count_frame;
        orv_host.frame_end = count_end;
        orv_host.stopped = count_stop;
        orv_host.stop_key = &stop_key;
    }
    void TearDown() override
    {
        orv_host = {};
        CoreTest::TearDown();
    }

    // Puts a program in the processor's ROM at 0xF800 with its vectors, and resets.
    void boot_rom(std::initializer_list<uint8_t> code, uint16_t int2_vector = 0xF800)
    {
        std::memset(rom_7020, 0, sizeof rom_7020);
        std::copy(code.begin(), code.end(), rom_7020);
        rom_7020[0x7FA] = int2_vector >> 8;
        rom_7020[0x7FB] = int2_vector & 0xFF;
        set_reset_vector(0xF800);
    }
    void set_reset_vector(uint16_t address)
    {
        rom_7020[0x7FE] = address >> 8;
        rom_7020[0x7FF] = address & 0xFF;
        orv_cold_start();
    }
    // Fills the cartridge area with 6-cycle CLRC instructions and starts there.
    void boot_clrc_cartridge()
    {
        std::memset(rom_cart + 0x200, 0xB0, 0x7E00);
        set_reset_vector(0x0200);
    }
};

std::vector<int> fire_scanlines;
void note_scanline(int) { fire_scanlines.push_back(scanline * 1000 + host.frames_shown); }

} // namespace

TEST_F(LoopTest, FrameIs280LinesAndDropsTheLastOvershoot)
{
    boot_clrc_cartridge();
    // 8307 instructions of 6 cycles pass 280 x 178 = 49840 cycles by 2.
    EXPECT_EQ(orv_loop(0xFFFF), ORV_STOP_FRAME);
    EXPECT_EQ(get_pc(), 0x0200 + 8307);
    EXPECT_EQ(g_time, 8307 * 6);
    EXPECT_EQ(scanline, 280);
    orv_loop(0xFFFF);
    EXPECT_EQ(get_pc(), 0x0200 + 2 * 8307);  // the 2 cycles were not carried over
    EXPECT_EQ(vblnum, 2);
    EXPECT_EQ(host.frames_shown, 2);
    EXPECT_EQ(veld_get_time().cycles, 2u * 8307 * 6);
}

TEST_F(LoopTest, StopAddressEndsTheRunWithoutChargingTheLastInstruction)
{
    boot_clrc_cartridge();
    veld_timer_create(note_scanline, 0, 64, {0, 1530});  // due while 0x02FF runs
    EXPECT_EQ(orv_loop(0x0300), ORV_STOP_PC);
    EXPECT_EQ(get_pc(), 0x0300);
    EXPECT_EQ(p_pc, 0x02FF);
    EXPECT_EQ(g_time, 255 * 6);
    EXPECT_EQ(veld_get_time().cycles, 255u * 6);
    EXPECT_EQ(host.frames_shown, 0);  // a partial frame is not drawn
    EXPECT_TRUE(fire_scanlines.empty());
    fire_scanlines.clear();

    // The next run starts a new frame from line 0, and the timer fires after its first instruction.
    orv_loop(0xFFFF);
    ASSERT_EQ(fire_scanlines.size(), 1u);
    EXPECT_EQ(fire_scanlines[0], 0);
    EXPECT_EQ(get_pc(), 0x0300 + 8307);
    fire_scanlines.clear();
}

TEST_F(LoopTest, TimerDueAtTheFrameEndFiresBeforeTheRedraw)
{
    boot_clrc_cartridge();
    fire_scanlines.clear();
    veld_timer_create(note_scanline, 0, 64, {0, 8307 * 6 - 1});
    orv_loop(0xFFFF);
    ASSERT_EQ(fire_scanlines.size(), 1u);
    EXPECT_EQ(fire_scanlines[0], 279 * 1000 + 0);  // still line 279, frame not yet shown
    fire_scanlines.clear();
}

TEST_F(LoopTest, FrameStylePollsTheKeyboardOnEvenFrames)
{
    boot_clrc_cartridge();
    for (int i = 0; i < 5; i++)
        orv_loop(0xFFFF);
    EXPECT_EQ(host.polled_frames, (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(host.frame_ends, 0);  // the until-stop hooks are not used
    EXPECT_EQ(host.stops, 0);
}

TEST_F(LoopTest, UntilStopStyleRunsFramesUntilTheStopKey)
{
    orv_host.style = ORV_LOOP_UNTIL_STOP;
    boot_clrc_cartridge();
    EXPECT_EQ(orv_loop(0xFFFF), ORV_STOP_KEY);
    EXPECT_EQ(host.frames_shown, 3);
    EXPECT_EQ(host.frame_ends, 3);
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(host.polled_frames, (std::vector<int>{0, 2}));
    EXPECT_EQ(vblnum, 0);
    // The last eight instructions started, oldest at the next slot.
    uint16_t last = get_pc() - 1;
    for (int i = 1; i <= 8; i++)
        EXPECT_EQ(pc_debug[(last_pc_debug - i + 8) % 8], last - (i - 1));

    // Held at the start of a run, the key stops it after one instruction; the
    // frame counter restarts with each call, so the first frame polls again.
    uint16_t pc = get_pc();
    EXPECT_EQ(orv_loop(0xFFFF), ORV_STOP_KEY);
    EXPECT_EQ(get_pc(), pc + 1);
    stop_key = 0;
    host.frame_ends = 10;
    host.polled_frames.clear();
    host.frames_shown = 0;
    orv_reset();
    EXPECT_EQ(orv_loop(0x0200 + 8400), ORV_STOP_PC);
    EXPECT_EQ(get_pc(), 0x0200 + 8400);
    EXPECT_EQ(host.frames_shown, 1);
    EXPECT_EQ(host.polled_frames, std::vector<int>{0});
}

TEST_F(LoopTest, CountingLoopInRamKeepsExactTime)
{
    // C000 MOV #0,R10; C003 MOV #0,R11; C006 INC R11; C008 JNZ C006;
    // C00A INC R10; C00C JMP C006
    const uint8_t code[] = {0x72, 0x00, 0x0A, 0x72, 0x00, 0x0B, 0xD3, 0x0B,
                            0xE6, 0xFC, 0xD3, 0x0A, 0xE0, 0xF8};
    std::memcpy(ram_2k, code, sizeof code);
    set_reset_vector(0xC000);
    for (int pass = 1; pass <= 3; pass++) {
        for (int guard = 0; guard < 10 && get_pc() != 0xC00A; guard++)
            orv_loop(0xC00A);
        ASSERT_EQ(get_pc(), 0xC00A);
        // 18 cycles of set-up, then 255 taken passes of 14 cycles and the wrap INC;
        // each stop leaves the not-taken JNZ (5 cycles) uncharged.
        EXPECT_EQ(g_time, 18 + 255 * 14 + 7 + (pass - 1) * (3596 - 5));
        EXPECT_EQ(tms7000.rf[10], pass - 1);
        orv_loop(0xC00A);  // leaves the stop address
    }
}

TEST_F(LoopTest, TimerInterruptWakesIdleEveryPeriod)
{
    // F800 MOVP #9,P2; MOVP #80,P3 (period 16 x 1 x 10 = 160 cycles);
    // MOVP #04,P0 (INT2 enable); EINT; F80A IDLE; INC R20; JMP F80A
    // F80F ADD #1,R11; ADC #0,R10; RETI (a 16-bit count in R10:R11)
    boot_rom({0xA2, 0x09, 0x02, 0xA2, 0x80, 0x03, 0xA2, 0x04, 0x00, 0x05, 0x01, 0xD3, 0x14,
              0xE0, 0xFB, 0x78, 0x01, 0x0B, 0x79, 0x00, 0x0A, 0x0B},
             0xF80F);
    for (int i = 0; i < 10; i++)
        orv_loop(0xFFFF);
    // Every interrupt is served well within its period, so the count follows the
    // emulated time alone: 10 frames of 49840 cycles.
    int count = tms7000.rf[10] * 256 + tms7000.rf[11];
    EXPECT_NEAR(count, 10 * 49840 / 160, 1);
    // The processor stays idle between interrupts: one pass of the loop
    // each (the last one may not have come round yet).
    int passes = tms7000.rf[20];
    EXPECT_TRUE(passes == (count & 0xFF) || passes == ((count - 1) & 0xFF)) << passes << " passes, " << count;
    EXPECT_GE(get_pc(), 0xF80A);  // idling or in the interrupt routine
    EXPECT_LE(get_pc(), 0xF816);
}

namespace {

// What a timer callback sees of the loop's counters.
struct fired_at {
    int tag;
    veld_time clock;
    uint16_t pc;
    int line, line_cycles, time, trace_time, cycles;
    bool operator==(const fired_at &o) const
    {
        return tag == o.tag && clock.seconds == o.clock.seconds && clock.cycles == o.clock.cycles && pc == o.pc &&
               line == o.line && line_cycles == o.line_cycles && time == o.time && trace_time == o.trace_time &&
               cycles == o.cycles;
    }
};
std::vector<fired_at> fired;
void note_fired(int tag)
{
    fired.push_back({tag, g_timer_clock, p_pc, scanline, cycle_line, g_time, s_trace_time, instr_cycles});
}

} // namespace

// Timers due on both sides of a second's end (where the clock's cycle field
// may hold a whole second), some on an instruction's last cycle, fired once
// in slices and once one step at a time on the reference path: every firing sees the same counters, after the same instruction.
TEST_F(LoopTest, SlicesFireTimersAtTheSameInstructionsAsSingleSteps)
{
    const uint32_t second = VELD_CYCLES_PER_SECOND;
    auto run = [&](bool single_steps, uint32_t left) {
        orv_clear_globals();
        orv_set_exec_mode(single_steps ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST);
        g_timer_clock = {0, second - 6000};
        boot_clrc_cartridge();  // instructions of 6 cycles; the speech clock starts
        veld_timer_create(note_fired, 1, 100, {0, left});
        fired.clear();
        orv_loop(0xFFFF);
        return fired;
    };
    // Cycles from the start: 5999 and 6005 end on an instruction's last cycle.
    for (uint32_t left : {5999u, 6000u, 6001u, 6005u, 6011u, 30000u}) {
        std::vector<fired_at> sliced = run(false, left);
        std::vector<fired_at> stepped = run(true, left);
        ASSERT_EQ(sliced.size(), 1u);
        ASSERT_EQ(stepped.size(), 1u);
        EXPECT_TRUE(sliced[0] == stepped[0]) << "due after " << left << " cycles: fired after " << sliced[0].pc
                                             << " in slices, " << stepped[0].pc << " in steps";
        // After the instruction whose end passes the due time.
        EXPECT_EQ(sliced[0].pc, 0x0200 + left / 6);
    }
    // Due at the very end of the second, the timer sees the clock hold it whole.
    std::vector<fired_at> at_end = run(false, 5999);
    EXPECT_EQ(at_end[0].clock.seconds, 0u);
    EXPECT_EQ(at_end[0].clock.cycles, second);
}

// A video RAM write watch stops the frame loop right after the instruction
// that wrote the watched byte, in slices as one step at a time.
TEST_F(LoopTest, VideoWriteWatchStopsAfterTheWritingInstruction)
{
    auto run = [&](bool single_steps) {
        orv_clear_globals();
        orv_set_exec_mode(single_steps ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST);
        // loop: MOVP A,P46 / INC A / JMP loop
        boot_rom({0x82, 0x2E, 0xB3, 0xE0, 0xFB});
        tms3556.bkpt_write = 300;
        orv_stop why = orv_loop(0xFFFF);
        return std::vector<int>{why, get_pc(), tms7000.rf[0], tms3556.vram[300], tms3556.vram[301], scanline, cycle_line};
    };
    std::vector<int> sliced = run(false);
    EXPECT_EQ(sliced, run(true));
    EXPECT_EQ(sliced[0], ORV_STOP_BREAK);
    EXPECT_EQ(sliced[1], 0xF802);
    EXPECT_EQ(sliced[3], 300 & 0xFF);
    EXPECT_EQ(sliced[4], 0);  // the byte after it is not written yet
}

// Timer 1 started after an odd count of cycles, read while it runs, then
// stopped and started again: its counts keep the same phase, and its reads
// the same values, in slices as one step at a time.
TEST_F(LoopTest, TimerOneStartedInsideASliceKeepsItsPhase)
{
    auto run = [&](bool single_steps) {
        orv_clear_globals();
        orv_set_exec_mode(single_steps ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST);
        // F800 MOV #13,A; F802 DEC A; JNZ F802 (an odd delay)
        // F805 MOVP #2,P2; MOVP #80,P3 (start); MOVP #04,P0; EINT
        // F80F MOVP P2,A; ADD R0,R30 (sums the decrementer); MPY B,A (43
        //      cycles: several counts at once); DJNZ R20,F80F
        // F818 MOVP #00,P3 (stop); DJNZ R20,F81B; MOVP #80,P3; JMP F80F
        // F823 INC R5; RETI
        boot_rom({0x22, 0x0D, 0xB2, 0xE6, 0xFD, 0xA2, 0x02, 0x02, 0xA2, 0x80, 0x03, 0xA2,
                  0x04, 0x00, 0x05, 0x80, 0x02, 0x48, 0x00, 0x1E, 0x6C, 0xDA, 0x14, 0xF7,
                  0xA2, 0x00, 0x03, 0xDA, 0x14, 0xFD, 0xA2, 0x80, 0x03, 0xE0, 0xEC, 0xD3,
                  0x05, 0x0B},
                 0xF823);
        for (int frame = 0; frame < 4; frame++)
            orv_loop(0xFFFF);
        return std::vector<int>{get_pc(), tms7000.rf[5], tms7000.rf[20], tms7000.rf[30], tms7000.t1_decrementer,
                                tms7000.t1_prescaler, tms7000_div_by_16_trigger - tms7000_icount};
    };
    std::vector<int> sliced = run(false);
    EXPECT_EQ(sliced, run(true));
    EXPECT_NE(sliced[1], 0);  // the interrupt was served
}

// Port B written without moving a handshake line (the beeper bit, the lines
// held low), in slices and, through the full port path, one step at a time:
// the same ports, write pcs and time.
TEST_F(LoopTest, PortBWritesWithoutEdgesKeepTheirEffects)
{
    auto run = [&](bool full_path) {
        orv_clear_globals();
        orv_set_exec_mode(full_path ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST);
        // F800 MOVP #08,P6; MOVP #00,P6; INC R5; MOV R5,A; AND #08,A;
        // F80C MOVP A,P6; JMP F800
        boot_rom({0xA2, 0x08, 0x06, 0xA2, 0x00, 0x06, 0xD3, 0x05, 0x12, 0x05, 0x23, 0x08, 0x82, 0x06, 0xE0, 0xF0});
        orv_loop(0xFFFF);
        orv_loop(0xFFFF);
        return std::vector<int>{get_pc(), portb_val, tms7000.pf[6], PC_ON_WRITE[0x106], tms7000.rf[5],
                                tms7000_div_by_16_trigger - tms7000_icount, scanline, cycle_line};
    };
    std::vector<int> quiet = run(false);
    EXPECT_EQ(quiet, run(true));
    EXPECT_EQ(quiet[1], quiet[2]);
}

// Timer 1 interrupting every 112 cycles while the I/O processor goes round
// its idle cycle: a count that raises the interrupt is taken before an idle
// step due after the same instruction, in slices as one step at a time.
TEST_F(LoopTest, TimerOneCountsBeforeTheIdleCycleSteps)
{
    auto run = [&](bool single_steps) {
        orv_clear_globals();
        orv_set_exec_mode(single_steps ? ORV_EXEC_REFERENCE : ORV_EXEC_FAST);
        // F800 MOVP #06,P2; MOVP #80,P3 (start); MOVP #04,P0; EINT
        // F80A INC R5; MPY R5,B; ADD R5,R6; JMP F80A
        // F813 INC R7; MOVP P2,A; ADD A,R8; RETI
        boot_rom({0xA2, 0x06, 0x02, 0xA2, 0x80, 0x03, 0xA2, 0x04, 0x00, 0x05, 0xD3, 0x05, 0x3C,
                  0x05, 0x48, 0x05, 0x06, 0xE0, 0xF7, 0xD3, 0x07, 0x80, 0x02, 0x48, 0x00, 0x08, 0x0B},
                 0xF813);
        IoCpuTest::greet();  // the firmware's side, the event clock driven by hand
        for (int frame = 0; frame < 3; frame++)
            orv_loop(0xFFFF);
        return std::vector<int>{get_pc(), tms7000.rf[5], tms7000.rf[7], tms7000.rf[8], cur_state,
                                static_cast<int>(g_timer_clock.cycles), tms7000_div_by_16_trigger - tms7000_icount};
    };
    std::vector<int> sliced = run(false);
    EXPECT_EQ(sliced, run(true));
    EXPECT_NE(sliced[2], 0);  // interrupts served
    EXPECT_TRUE(sliced[4] == IO_STATE_READY || sliced[4] == IO_STATE_POLL);
}

// Lines that every run writes (IDLE, an undefined opcode, DSB, DECD A), from
// inside slices while timer 1 counts: each keeps the name of the function
// that writes it, although the slice first brings timer 1's lagging counts
// up, which enters the timer's own function.
TEST_F(LoopTest, UnconditionalLinesInSlicesKeepTheirNames)
{
    std::string rom = read_file(ORVANE_TEST_PROGRAMS "/timer_idle.bin");
    ASSERT_EQ(rom.size(), 2048u);
    std::memcpy(rom_7020, rom.data(), rom.size());
    orv_cold_start();
    for (int frame = 0; frame < 3; frame++)
        orv_loop(0xFFFF);
    std::map<std::string, int> names;
    std::string text = log_text();
    for (size_t start = 0, nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
        std::string line = text.substr(start, nl - start);
        names[line.substr(14, line.find(':') - 14)]++;
    }
    // One pass of the loop per interrupt, every 2560 cycles; the cold start
    // logs the video processor's reset and ports C and D.
    EXPECT_EQ(names.size(), 6u);
    EXPECT_EQ(names["tms3556_reset()"], 1);
    EXPECT_EQ(names["io_write_byte_8()"], 2);
    EXPECT_GE(names["idle()"], 3 * 49840 / 2560 - 1);
    EXPECT_EQ(names["illegal()"], names["idle()"]);
    EXPECT_EQ(names["bcd_sub()"], names["idle()"]);
    EXPECT_EQ(names["decd_a()"], names["idle()"]);
}
