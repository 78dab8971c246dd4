// The debugger's engine: breakpoints, watchpoints, step out, step back and
// the trace files, on a program of our own with a timer interrupt.
#include "test_support.h"

#include "asm_support.h"
#include "core/debug_engine.h"
#include "core/debugger.h"
#include "core/exec_mode.h"
#include "core/host.h"
#include "core/iocpu.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/state.h"
#include "core/symbols.h"
#include "core/tms7000.h"
#include "core/trace.h"

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// MAIN calls WORK (RAM written and read, a call to LEAF), counts in R10 and
// waits about two frames; timer 1 interrupts it all along (INT2 counts in
// R11).
const char *const ENGINE_PROGRAM = R"(
        ORG $F800
RESET   MOV #$40,B
        LDSP
        MOVP #27,P2
        MOVP #83,P3
        MOVP #04,P0
        EINT
MAIN    CALL WORK
        INC R10
        MOV #$28,R30
D1      MOV #$FF,R31
D2      DJNZ R31,D2
        DJNZ R30,D1
        JMP MAIN
WORK    MOV R10,A
        STA @$C010
        LDA @$C011
        ADD #1,A
        STA @$C011
INNER   CALL LEAF
        RETS
LEAF    INC R20
        RETS
HERE    JMP HERE
INT2    INC R11
        RETI
        ORG $FFFA
        WORD INT2
        ORG $FFFE
        WORD RESET
)";

std::vector<std::string> messages;
void note_message(const char *m) { messages.push_back(m); }

volatile char stop_key;
int frames_seen, stop_after;
void count_frame()
{
    if (++frames_seen >= stop_after)
        stop_key = 1;
}

using hashes = std::vector<orv_state_section_hash>;

hashes now() { return orv_state_section_hashes(orv_state_save()); }

bool same(const hashes &a, const hashes &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].tag != b[i].tag || a[i].hash != b[i].hash)
            return false;
    return true;
}

std::string differing(const hashes &a, const hashes &b)
{
    std::string tags;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        if (a[i].hash != b[i].hash)
            tags += a[i].tag + " ";
    return tags.empty() && a.size() == b.size() ? "none" : tags;
}

class DebugEngineTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        messages.clear();
        orv_host = {};
        orv_host.message = note_message;
        boot();
    }
    void TearDown() override
    {
        orv_host = {};
        CoreTest::TearDown();
    }

    // The program in the internal ROM, its labels as the user's symbols,
    // the machine started as the programs start it.
    void boot()
    {
        orv_clear_globals();
        asm_options o;
        o.base = 0xF800;
        o.size = 2048;
        asm_result r = assemble(ENGINE_PROGRAM, o);
        ASSERT_TRUE(r.ok) << errors_of(r);
        std::memcpy(rom_7020, r.image.data(), sizeof rom_7020);
        std::vector<orv_symbol> symbols;
        for (const auto &[name, value] : r.symbols)
            symbols.push_back({static_cast<uint16_t>(value), name, r.labels.count(name) != 0});
        orv_symbols_put(ORV_SYMBOLS_USER, symbols, "test.asm");
        labels = r.symbols;
        orv_cold_start();
    }
    uint16_t at(const char *label) { return static_cast<uint16_t>(labels.at(label)); }

    std::map<std::string, int64_t> labels;
};

// Frame-style calls until one stops for the engine.
void run_to_stop()
{
    orv_host.style = ORV_LOOP_FRAME;
    while (orv_loop(0xFFFF) != ORV_STOP_DEBUG) {
    }
}

// Runs frame-style calls until `frames` frames are complete; the calls that
// stopped early are counted in `stops`.
void run_frames(int64_t frames, int *stops = nullptr)
{
    orv_host.style = ORV_LOOP_FRAME;
    while (vblnum < frames)
        if (orv_loop(0xFFFF) == ORV_STOP_DEBUG && stops)
            ++*stops;
}

} // namespace

TEST_F(DebugEngineTest, BreakpointsStopBeforeTheirInstructionAndTheRunGoesOnFromThere)
{
    std::string why;
    ASSERT_EQ(orv_break_add("WORK", "", 0, why), 1) << why;
    orv_host.style = ORV_LOOP_FRAME;
    EXPECT_EQ(orv_loop(0xFFFF), ORV_STOP_DEBUG);
    EXPECT_EQ(get_pc(), at("WORK"));
    EXPECT_EQ(tms7000.rf[10], 0);  // nothing of WORK has run, INC R10 neither
    EXPECT_EQ(orv_debug_last_stop().kind, orv_debug_stop::BREAKPOINT);
    char text[64];
    std::snprintf(text, sizeof text, "Breakpoint 1 at %04X (WORK), hit 1", at("WORK"));
    EXPECT_EQ(orv_debug_stop_text(orv_debug_last_stop()), text);

    // The next run runs WORK first and stops there on the next pass.
    run_to_stop();
    EXPECT_EQ(get_pc(), at("WORK"));
    EXPECT_EQ(tms7000.rf[10], 1);
    EXPECT_EQ(orv_breakpoints()[0].hits, 2);

    // A condition, a hit count, a breakpoint turned off.
    orv_break_clear();
    ASSERT_EQ(orv_break_add("WORK", "R10 == 4", 0, why), 2) << why;
    ASSERT_EQ(orv_break_add("LEAF", "[C011] >= 0x07", 3, why), 3) << why;
    while (orv_loop(0xFFFF) != ORV_STOP_DEBUG) {
    }
    EXPECT_EQ(get_pc(), at("WORK"));
    EXPECT_EQ(tms7000.rf[10], 4);
    while (orv_loop(0xFFFF) != ORV_STOP_DEBUG) {
    }
    EXPECT_EQ(get_pc(), at("LEAF"));
    EXPECT_EQ(program_peek_byte_8(0xC011), 9);  // C011 reached 7 at the 7th pass; stops from the third hit
    EXPECT_EQ(orv_debug_last_stop().id, 3);
    EXPECT_EQ(orv_debug_last_stop().hits, 3);
    orv_break_enable(2, false);
    orv_break_enable(3, false);
    const int64_t frames = vblnum;
    EXPECT_EQ(orv_loop(0xFFFF), ORV_STOP_FRAME);
    EXPECT_EQ(vblnum, frames + 1);

    // Mistakes are refused with their reason.
    EXPECT_EQ(orv_break_add("NOWHERE", "", 0, why), 0);
    EXPECT_EQ(why, "No label 'NOWHERE': load the program's symbols first, or type a hexadecimal address");
    EXPECT_EQ(orv_break_add("F800", "A = 1", 0, why), 0);
    EXPECT_NE(why.find("a condition is SUBJECT OP VALUE"), std::string::npos) << why;
    EXPECT_EQ(orv_break_add("F800", "R128 == 1", 0, why), 0);
    EXPECT_EQ(orv_break_add("F800", "A == 256", 0, why), 0);
    EXPECT_EQ(why, "'256' is not a number from 0 to 255 (decimal, or hexadecimal after 0x or $)");
    EXPECT_EQ(orv_break_add("F800", "PC < $F900", 0, why), 4) << why;
    orv_break_clear();
    for (int i = 0; i < ORV_MAX_BREAKPOINTS; i++)
        ASSERT_GT(orv_break_add("F800", "", 0, why), 0);
    EXPECT_EQ(orv_break_add("F800", "", 0, why), 0);
    EXPECT_EQ(why, "There are already 64 breakpoints: remove one first");
}

// The debugger's address field takes a label too; its hexadecimal reading
// stays as it was.
TEST_F(DebugEngineTest, GoToALabelFromTheAddressField)
{
    orv_host.style = ORV_LOOP_UNTIL_STOP;
    std::strcpy(breakpoint_str, "leaf");
    tobreaknoconfirm();
    EXPECT_EQ(get_pc(), at("LEAF"));
    std::snprintf(breakpoint_str, sizeof breakpoint_str, "%04X and more", at("INNER"));
    tobreaknoconfirm();
    EXPECT_EQ(get_pc(), at("INNER"));
    EXPECT_TRUE(messages.empty());
}

TEST(DebugConditions, ReadTheirSubjectsAndCompareUnsigned)
{
    orv_clear_globals();
    orv_condition c;
    ASSERT_EQ(orv_condition_parse("A == 0x41", c), "");
    EXPECT_EQ(c.text, "A == 0x41");
    tms7000.rf[0] = 0x41;
    EXPECT_TRUE(orv_condition_holds(c));
    tms7000.rf[0] = 0x42;
    EXPECT_FALSE(orv_condition_holds(c));
    ASSERT_EQ(orv_condition_parse("r10!=0", c), "");
    EXPECT_EQ(c.text, "R10 != 0x00");
    EXPECT_FALSE(orv_condition_holds(c));
    tms7000.rf[10] = 0x90;
    EXPECT_TRUE(orv_condition_holds(c));
    ASSERT_EQ(orv_condition_parse("[C123] >= 80", c), "");
    EXPECT_EQ(c.text, "[C123] >= 0x50");
    ram_2k[0x123] = 80;
    EXPECT_TRUE(orv_condition_holds(c));
    ram_2k[0x123] = 79;
    EXPECT_FALSE(orv_condition_holds(c));
    ram_2k[0x123] = 0xF0;  // unsigned: 240 is not below 80
    EXPECT_TRUE(orv_condition_holds(c));
    ASSERT_EQ(orv_condition_parse("SP < 0x10", c), "");
    tms7000.sp = 0x0F;
    EXPECT_TRUE(orv_condition_holds(c));
    ASSERT_EQ(orv_condition_parse("ST > 0", c), "");
    ASSERT_EQ(orv_condition_parse("PC <= $F9FF", c), "");
    EXPECT_NE(orv_condition_parse("X == 1", c), "");
    EXPECT_NE(orv_condition_parse("A ==", c), "");
    EXPECT_NE(orv_condition_parse("[C123", c), "");
    EXPECT_NE(orv_condition_parse("PC == 0x10000", c), "");
}

// A run that breakpoints and watchpoints stop and resume, again and again,
// is the run that nothing stopped: the same machine after every frame.
TEST_F(DebugEngineTest, AStoppedAndResumedRunIsTheRunThatWasNotStopped)
{
    std::vector<hashes> plain;
    for (int64_t f = 1; f <= 8; f++) {
        run_frames(f);
        plain.push_back(now());
    }
    boot();
    std::string why;
    ASSERT_GT(orv_break_add("LEAF", "", 0, why), 0);
    ASSERT_GT(orv_watch_add("C011", false, true, why), 0);
    ASSERT_GT(orv_watch_add("R65..R70", false, true, why), 0);  // the stack: calls and interrupts
    int stops = 0;
    for (int64_t f = 1; f <= 8; f++) {
        run_frames(f, &stops);
        EXPECT_TRUE(same(now(), plain[static_cast<size_t>(f - 1)])) << "frame " << f << ": " << differing(now(), plain[static_cast<size_t>(f - 1)]);
    }
    EXPECT_GT(stops, 50);

    // The until-stop style: the frame that polls the keys stays the same too.
    boot();
    orv_host.style = ORV_LOOP_UNTIL_STOP;
    orv_host.frame_end = count_frame;
    orv_host.stop_key = &stop_key;
    frames_seen = 0;
    stop_after = 5;
    stop_key = 0;
    EXPECT_EQ(orv_loop(0xFFFF), ORV_STOP_KEY);
    const hashes unstopped = now();
    boot();
    ASSERT_GT(orv_break_add("INT2", "", 0, why), 0);
    frames_seen = 0;
    stop_key = 0;
    stops = 0;
    orv_stop r;
    while ((r = orv_loop(0xFFFF)) == ORV_STOP_DEBUG)
        stops++;
    EXPECT_EQ(r, ORV_STOP_KEY);
    EXPECT_GT(stops, 10);
    EXPECT_TRUE(same(now(), unstopped)) << differing(now(), unstopped);
}

TEST_F(DebugEngineTest, WatchpointsSeeTheBusAccessesAfterTheInstructionThatMadeThem)
{
    std::string why;
    ASSERT_EQ(orv_watch_add("C011", false, true, why), 1) << why;
    refresh_debugger();                   // the views read memory, quietly
    program_write_byte_8(0xC011, 0x00);  // a program's edit between runs is no access of the machine's
    run_to_stop();
    const orv_debug_stop &s = orv_debug_last_stop();
    EXPECT_EQ(s.kind, orv_debug_stop::WATCHPOINT);
    EXPECT_TRUE(s.write);
    EXPECT_EQ(s.address, 0xC011);
    EXPECT_EQ(s.value, 1);
    EXPECT_EQ(s.instruction, at("INNER") - 3);  // STA @$C011
    EXPECT_EQ(get_pc(), at("INNER"));           // stopped after it
    char text[160];
    std::snprintf(text, sizeof text, "Watchpoint 1: write of 01 to C011 by the instruction at %04X; now at %04X (INNER)",
                  at("INNER") - 3, at("INNER"));
    EXPECT_EQ(orv_debug_stop_text(s), text);

    // Reads: the LDA, not the fetches of code nor the views.
    orv_watch_clear();
    ASSERT_GT(orv_watch_add("C011", true, false, why), 0);
    ASSERT_GT(orv_watch_add("WORK..LEAF", true, false, why), 0);  // code: fetched, never read
    run_to_stop();
    EXPECT_FALSE(orv_debug_last_stop().write);
    EXPECT_EQ(orv_debug_last_stop().address, 0xC011);
    EXPECT_EQ(orv_debug_last_stop().instruction, at("WORK") + 5);  // LDA @$C011
    EXPECT_EQ(orv_debug_last_stop().value, 1);

    // A peripheral-file register and a register-file byte, by their names.
    boot();
    ASSERT_GT(orv_watch_add("P3", false, true, why), 0);
    run_to_stop();
    EXPECT_EQ(orv_debug_last_stop().address, 0x0103);
    EXPECT_EQ(orv_debug_last_stop().value, 0x83);
    orv_watch_clear();
    ASSERT_GT(orv_watch_add("R20", false, true, why), 0);
    run_to_stop();
    EXPECT_EQ(orv_debug_last_stop().address, 20);
    EXPECT_EQ(orv_debug_last_stop().instruction, at("LEAF"));
    EXPECT_EQ(tms7000.rf[20], 1);

    // The stack written by an interrupt's entry.
    orv_watch_clear();
    ASSERT_GT(orv_watch_add("0040..007F", false, true, why), 0);
    bool between = false;
    for (int i = 0; i < 2000 && !between; i++) {
        run_to_stop();
        between = orv_debug_last_stop().interrupt;
    }
    ASSERT_TRUE(between);
    EXPECT_NE(orv_debug_stop_text(orv_debug_last_stop()).find("by an interrupt's entry, after the instruction at"),
              std::string::npos);
    EXPECT_EQ(get_pc(), at("INT2"));

    EXPECT_EQ(orv_watch_add("C7FF..C000", true, true, why), 0);
    EXPECT_EQ(why, "'C7FF..C000': the range ends before it starts");
    EXPECT_EQ(orv_watch_add("P256", true, true, why), 0);
    EXPECT_EQ(orv_watch_add("C000", false, false, why), 0);
}

TEST_F(DebugEngineTest, StepOverAndStepOutStopAtBreakpointsAndComeBackFromCalls)
{
    std::string why;
    while (get_pc() != at("MAIN"))
        orv_step();
    ASSERT_GT(orv_break_add("LEAF", "", 0, why), 0);
    EXPECT_EQ(orv_step_over(), ORV_DEBUG_STOPPED);  // CALL WORK: LEAF is reached inside it
    EXPECT_EQ(get_pc(), at("LEAF"));
    const uint8_t sp = tms7000.sp;
    EXPECT_EQ(orv_step_out(), ORV_DEBUG_DONE);
    EXPECT_EQ(get_pc(), at("INNER") + 3);
    EXPECT_LT(tms7000.sp, sp);
    char text[96];
    std::snprintf(text, sizeof text, "Stepped out: RETS at %04X returned to %04X", at("LEAF") + 2, at("INNER") + 3);
    EXPECT_EQ(orv_debug_stop_text(orv_debug_last_stop()), text);
    EXPECT_EQ(orv_step_out(), ORV_DEBUG_DONE);
    EXPECT_EQ(get_pc(), at("MAIN") + 3);
    // Without a call to come back from, it gives up as step over does.
    tms7000.pc.w = at("HERE");
    EXPECT_EQ(orv_step_out(), ORV_DEBUG_GAVE_UP);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Step out from", 0), 0u) << messages[0];
}

TEST_F(DebugEngineTest, StepBackNInstructionsGivesTheMachineExactlyAsItWas)
{
    orv_history_enable(true);
    run_frames(3);
    for (long n : {1L, 7L, 200L}) {
        const hashes before = now();
        for (long i = 0; i < n; i++)
            orv_step();
        ASSERT_EQ(orv_step_back(n), "") << n;
        EXPECT_TRUE(same(now(), before)) << n << ": " << differing(now(), before);
    }
    // Back into runs of the frame loop, over more than one save: a run stopped
    // at each instruction by a breakpoint shows where they stand.
    run_frames(120);
    std::string why;
    ASSERT_GT(orv_break_add("WORK", "", 0, why), 0);
    run_to_stop();
    const hashes first_hit = now();
    run_to_stop();
    const hashes second_hit = now();
    ASSERT_EQ(orv_back_to_hit(), "");
    EXPECT_TRUE(same(now(), first_hit)) << differing(now(), first_hit);
    EXPECT_EQ(orv_debug_last_stop().kind, orv_debug_stop::STEP_BACK);
    run_to_stop();
    EXPECT_TRUE(same(now(), second_hit)) << differing(now(), second_hit);
    EXPECT_GT(orv_history_seconds(), 2.0);
}

// The host's part, the same in every run: keys at some polls, some frames'
// pictures not wanted.
void host_keys()
{
    if (vblnum % 6 == 0)
        send_key(static_cast<unsigned char>(0x41 + vblnum % 20));
}
int host_picture() { return vblnum % 3 != 0; }

// Back to a hit that a run passed without stopping, seconds of machine time
// before (keys sent and pictures skipped meanwhile): the machine as a run
// stopped there leaves it.
TEST_F(DebugEngineTest, BackToAHitLongPassedIsWhereAStoppedRunStood)
{
    orv_host.key_poll = host_keys;
    orv_host.picture_wanted = host_picture;
    std::string why;
    ASSERT_GT(orv_break_add("WORK", "R10 == 3", 0, why), 0);
    run_to_stop();
    const hashes stopped_there = now();
    const int64_t frame = vblnum;

    boot();
    orv_history_enable(true);
    run_frames(150);  // the fast path: nothing set
    ASSERT_GT(orv_break_add("WORK", "R10 == 3", 0, why), 0);
    ASSERT_EQ(orv_back_to_hit(), "");
    EXPECT_EQ(vblnum, frame);
    EXPECT_TRUE(same(now(), stopped_there)) << differing(now(), stopped_there);
    // A second step back finds nothing earlier.
    EXPECT_EQ(orv_back_to_hit().rfind("No breakpoint or watchpoint was hit in the history", 0), 0u);
    EXPECT_TRUE(same(now(), stopped_there));
}

// A run until a stop that goes on for longer than the history keeps (the
// window program's way of running) is written down in pieces, each with a
// save: the history reaches back its usual minute, not to the run's start,
// and back to a hit inside it is where a run stopped there stood.
TEST_F(DebugEngineTest, ALongRunUntilAStopIsKeptInPiecesOfASecond)
{
    constexpr int FRAMES = 3300;  // more than ORV_HISTORY_SECONDS of machine time
    orv_host.style = ORV_LOOP_UNTIL_STOP;
    orv_host.frame_end = count_frame;
    orv_host.stop_key = &stop_key;
    orv_host.key_poll = host_keys;
    stop_after = FRAMES;
    std::string why;
    ASSERT_GT(orv_break_add("WORK", "R10 == 3", 0, why), 0);
    frames_seen = 0;
    stop_key = 0;
    hashes last_hit;
    int hits = 0;
    while (orv_loop(0xFFFF) == ORV_STOP_DEBUG) {
        last_hit = now();
        hits++;
    }
    ASSERT_GT(hits, 5);

    boot();
    orv_history_enable(true);
    frames_seen = 0;
    stop_key = 0;
    EXPECT_EQ(orv_loop(0xFFFF), ORV_STOP_KEY);
    EXPECT_GT(orv_history_seconds(), ORV_HISTORY_SECONDS - 2.0);
    EXPECT_LT(orv_history_seconds(), ORV_HISTORY_SECONDS + 2.0);
    ASSERT_GT(orv_break_add("WORK", "R10 == 3", 0, why), 0);
    ASSERT_EQ(orv_back_to_hit(), "");
    EXPECT_TRUE(same(now(), last_hit)) << differing(now(), last_hit);
    // From there the run goes on as the unstopped one did.
    orv_break_clear();
    const hashes back_there = now();
    for (int i = 0; i < 50; i++)
        orv_step();
    ASSERT_EQ(orv_step_back(50), "");
    EXPECT_TRUE(same(now(), back_there)) << differing(now(), back_there);
}

TEST_F(DebugEngineTest, StepBackSaysWhenItCannot)
{
    EXPECT_EQ(orv_step_back(1), "There is no history to step back in: it is not kept");
    orv_history_enable(true);
    EXPECT_EQ(orv_step_back(1), "The history does not reach: nothing has run since it started");
    for (int i = 0; i < 10; i++)
        orv_step();
    const hashes here = now();
    EXPECT_EQ(orv_step_back(11), "The history does not reach 11 instructions back: it holds 10");
    EXPECT_TRUE(same(now(), here));
    EXPECT_EQ(orv_step_back(0), "Step back takes a count from 1 to 1000000");

    // Keys and resets between runs are written down and made again.
    run_frames(2);
    send_key(0x41);
    orv_reset();
    const hashes before_steps = now();
    for (int i = 0; i < 30; i++)
        orv_step();
    ASSERT_EQ(orv_step_back(30), "");
    EXPECT_TRUE(same(now(), before_steps)) << differing(now(), before_steps);

    // A change it did not see is found when the run is made again.
    run_frames(6);
    program_write_byte_8(0xC400, 0x5A);
    run_frames(7);
    const hashes present = now();
    EXPECT_EQ(orv_step_back(5), "The history cannot be run again exactly: something changed the machine that it "
                                "did not see (a memory edit, say). It starts afresh from here.");
    EXPECT_TRUE(same(now(), present)) << differing(now(), present);
    EXPECT_EQ(orv_step_back(1), "The history does not reach: nothing has run since it started");
}

TEST_F(DebugEngineTest, TheLogTraceFileHoldsEveryLineOfItsFrames)
{
    write_file("debug.lst", "program_write_byte_8()\n");
    boot();  // debug.lst is read when the machine starts
    static std::string seen;
    seen.clear();
    orv_host.log_line = [](const char *line) { seen += std::string(line) + "\n"; };
    run_frames(1);
    seen.clear();
    ASSERT_EQ(orv_trace_file_start(ORV_TRACE_LOG, "log.txt", 2), "");
    EXPECT_EQ(orv_trace_file_start(ORV_TRACE_LOG, "other.txt", 0),
              "A trace of this kind is already written to log.txt: stop it first");
    run_frames(3);
    const std::string during = seen;
    run_frames(4);
    EXPECT_FALSE(orv_trace_file_active(ORV_TRACE_LOG));
    EXPECT_EQ(orv_trace_file_ended(ORV_TRACE_LOG), "log.txt: " + std::to_string(orv_trace_file_lines(ORV_TRACE_LOG)) + " lines");
    const std::string file = read_file("log.txt");
    EXPECT_EQ(file, during);
    size_t lines = 0;
    for (char ch : file)
        lines += ch == '\n';
    EXPECT_GT(lines, 1000u);  // more than the ring holds
    EXPECT_EQ(file.find("program_write_byte_8():"), 14u) << file.substr(0, 80);
}

TEST_F(DebugEngineTest, TheInstructionTraceHasAddressBytesTextAndRegistersAfter)
{
    ASSERT_EQ(orv_trace_file_start(ORV_TRACE_INSTRUCTIONS, "insn.txt", 0), "");
    std::vector<uint16_t> pcs;
    std::vector<uint8_t> a_after;
    for (int i = 0; i < 12; i++) {
        pcs.push_back(get_pc());
        orv_step();
        a_after.push_back(tms7000.rf[0]);
    }
    // A run that stops ends it.
    std::string why;
    ASSERT_GT(orv_break_add("LEAF", "", 0, why), 0);
    orv_host.style = ORV_LOOP_FRAME;
    ASSERT_EQ(orv_loop(0xFFFF), ORV_STOP_DEBUG);
    EXPECT_FALSE(orv_trace_file_active(ORV_TRACE_INSTRUCTIONS));
    const std::string text = read_file("insn.txt");
    std::vector<std::string> lines;
    for (size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(text.substr(at, nl - at));
    ASSERT_GT(lines.size(), 12u);
    for (size_t i = 0; i < 12; i++) {
        char head[16], regs[16];
        std::snprintf(head, sizeof head, " %04X ", pcs[i]);
        std::snprintf(regs, sizeof regs, "A=%02X B=", a_after[i]);
        EXPECT_EQ(lines[i].substr(8, 6), head) << lines[i];
        EXPECT_NE(lines[i].find(regs), std::string::npos) << lines[i];
        EXPECT_NE(lines[i].find(" ST="), std::string::npos) << lines[i];
    }
    EXPECT_EQ(lines[0].substr(14), "5240     MOV #40,B                A=00 B=40 SP=01 ST=cnzixxxx") << lines[0];
    // The last line is the instruction before LEAF (CALL LEAF), with its label.
    EXPECT_NE(lines.back().find("CALL LEAF"), std::string::npos) << lines.back();
}

TEST_F(DebugEngineTest, TraceFilesFollowTheOutputRules)
{
    ASSERT_EQ(mkdir("adir", 0755), 0);
    EXPECT_EQ(orv_trace_file_start(ORV_TRACE_LOG, "adir", 0), "adir: Is a directory");
    ASSERT_EQ(symlink("target.txt", "link.txt"), 0);
    EXPECT_EQ(orv_trace_file_start(ORV_TRACE_LOG, "link.txt", 0), "link.txt: Is a symbolic link");
    EXPECT_EQ(orv_trace_file_start(ORV_TRACE_LOG, "missing/x.txt", 0).rfind("missing/x.txt: ", 0), 0u);
    ASSERT_EQ(orv_trace_file_start(ORV_TRACE_INSTRUCTIONS, "/dev/null", 0), "");
    for (int i = 0; i < 5; i++)
        orv_step();
    EXPECT_EQ(orv_trace_file_lines(ORV_TRACE_INSTRUCTIONS), 5);
    EXPECT_EQ(orv_trace_file_stop(ORV_TRACE_INSTRUCTIONS), "");
    // A regular file is replaced only once the trace is complete.
    write_file("old.txt", "old\n");
    ASSERT_EQ(orv_trace_file_start(ORV_TRACE_INSTRUCTIONS, "old.txt", 0), "");
    orv_step();
    EXPECT_EQ(read_file("old.txt"), "old\n");
    EXPECT_EQ(orv_trace_file_stop(ORV_TRACE_INSTRUCTIONS), "");
    const std::string one = read_file("old.txt");
    EXPECT_EQ(one.find('\n'), one.size() - 1) << one;
    EXPECT_NE(one.find(" ST="), std::string::npos) << one;
}
