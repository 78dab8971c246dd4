// The Break menu of orvane without its window: what its forms send to the
// debugger's engine and the lines they show, and the stop reason a run
// stopped by a breakpoint gives.
#include "test_support.h"
#include "asm_support.h"

#include "allegro/break_text.h"
#include "allegro/stop_reason.h"

#include "core/debug_engine.h"
#include "core/host.h"
#include "core/loop.h"
#include "core/memory.h"
#include "core/symbols.h"
#include "core/tms7000.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char *const CALLS = R"(
RESET   MOV #$40,B
        LDSP
        CLR R10
AGAIN   MOV #5,A
CALLER  CALL BUMP
        JMP AGAIN
BUMP    INC R10
        RETS
        ORG $FFFE
        WORD RESET
)";

volatile char run_stop;
int frames_left;

class BreakMenuTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        orv_clear_globals();
        asm_options o;
        o.base = 0xF800;
        o.size = 2048;
        asm_result r = assemble(std::string("        ORG $F800\n") + CALLS, o);
        ASSERT_TRUE(r.ok) << errors_of(r);
        std::memcpy(rom_7020, r.image.data(), sizeof rom_7020);
        std::vector<orv_symbol> symbols;
        for (const auto &[name, value] : r.symbols)
            symbols.push_back({static_cast<uint16_t>(value), name, r.labels.count(name) != 0});
        orv_symbols_put(ORV_SYMBOLS_USER, symbols, "calls.asm");
        orv_cold_start();
        // orvane's style: frames until a stop, here at most 50 of them.
        orv_host = {};
        orv_host.style = ORV_LOOP_UNTIL_STOP;
        orv_host.stop_key = &run_stop;
        orv_host.frame_end = [] {
            if (--frames_left <= 0)
                run_stop = 1;
        };
    }
    void TearDown() override
    {
        orv_host = {};
        CoreTest::TearDown();
    }
    orv_stop run(unsigned short stop_pc = 0xFFFF)
    {
        run_stop = 0;
        frames_left = 50;
        return orv_loop(stop_pc);
    }
};

} // namespace

TEST_F(BreakMenuTest, FormsAddWhatTheEngineReadsAndRefuseTheRestWithoutAddingAnything)
{
    std::string added;
    EXPECT_EQ(break_add_fields("  bump ", "R10 == 3", " 2 ", added), "");
    EXPECT_EQ(added, "Breakpoint 1  F80C (BUMP)  if R10 == 0x03  from hit 2  hits 0");
    // Counts: digits only, within range; the engine's own refusals pass through.
    EXPECT_EQ(break_add_fields("BUMP", "", "0", added), "From hit: '0' is not a number from 1 to 1000000000");
    EXPECT_EQ(break_add_fields("BUMP", "", "2x", added), "From hit: '2x' is not a number from 1 to 1000000000");
    EXPECT_EQ(break_add_fields("BUMP", "", "99999999999999", added),
              "From hit: '99999999999999' is not a number from 1 to 1000000000");
    EXPECT_NE(break_add_fields("NOWHERE", "", "", added).find("NOWHERE"), std::string::npos);
    EXPECT_FALSE(break_add_fields("BUMP", "Q == 1", "", added).empty());
    EXPECT_EQ(orv_breakpoints().size(), 1u);

    EXPECT_EQ(watch_add_fields("R10", false, true, added), "");
    EXPECT_EQ(added.rfind("Watchpoint 1  000A", 0), 0u) << added;
    EXPECT_FALSE(watch_add_fields("F000..EFFF", true, false, added).empty());
    EXPECT_EQ(orv_watchpoints().size(), 1u);

    // The list: breakpoints first; each entry switched and removed by its own number.
    std::vector<break_entry> e = break_entries();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_FALSE(e[0].watch);
    EXPECT_TRUE(e[1].watch);
    EXPECT_TRUE(break_entry_toggle(e[1]));
    EXPECT_FALSE(orv_watchpoints()[0].enabled);
    EXPECT_TRUE(break_entry_remove(e[0]));
    EXPECT_FALSE(break_entry_remove(e[0]));  // gone already
    e = break_entries();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_FALSE(e[0].enabled);
    EXPECT_TRUE(break_entry_toggle(e[0]));
    EXPECT_TRUE(orv_watchpoints()[0].enabled);
}

TEST_F(BreakMenuTest, CountsReadDigitsBetweenBlanksAndAnEmptyFieldGivesItsDefault)
{
    long n = -1;
    EXPECT_EQ(break_count_read("", "Step back", 1, 10, 7, n), "");
    EXPECT_EQ(n, 7);
    EXPECT_EQ(break_count_read(" \t10 ", "Step back", 1, 10, 7, n), "");
    EXPECT_EQ(n, 10);
    EXPECT_EQ(break_count_read("11", "Step back", 1, 10, 7, n), "Step back: '11' is not a number from 1 to 10");
    EXPECT_EQ(break_count_read("-1", "Step back", 1, 10, 7, n), "Step back: '-1' is not a number from 1 to 10");
    EXPECT_EQ(break_count_read("1 2", "Step back", 1, 10, 7, n), "Step back: '1 2' is not a number from 1 to 10");
    EXPECT_EQ(n, 10);  // unchanged by a refusal
}

TEST_F(BreakMenuTest, ABreakpointStopIsTheReasonGivenAndANewStopOfAnotherKindIsNot)
{
    std::string added;
    ASSERT_EQ(break_add_fields("BUMP", "", "", added), "");
    ASSERT_EQ(run(), ORV_STOP_DEBUG);
    stop_facts f = stop_facts_now(false, false);
    EXPECT_TRUE(f.engine_stop);
    EXPECT_EQ(stop_reason_text(f), "Stopped: Breakpoint 1 at F80C (BUMP), hit 1");

    // A later run that ends at an address is that, not the breakpoint again.
    orv_break_clear();
    ASSERT_EQ(run(0xF807), ORV_STOP_PC);
    EXPECT_EQ(stop_reason_text(stop_facts_now(false, false)), "Stopped: reached F807");
}

TEST_F(BreakMenuTest, StepBackSaysWhereTheMachineIsOrWhyItDidNotMove)
{
    EXPECT_EQ(break_step_back(1), "There is no history to step back in: it is not kept");
    orv_history_enable(true);
    std::string added;
    ASSERT_EQ(break_add_fields("BUMP", "", "", added), "");
    ASSERT_EQ(run(), ORV_STOP_DEBUG);
    EXPECT_EQ(break_step_back(1), "Back at F807 (CALLER)");
    EXPECT_EQ(get_pc(), 0xF807);
    // On again to the breakpoint's next hit, then back to the one before.
    ASSERT_EQ(run(), ORV_STOP_DEBUG);
    ASSERT_EQ(run(), ORV_STOP_DEBUG);
    EXPECT_EQ(break_back_to_hit(), "Back at F80C (BUMP)");
    orv_history_enable(false);
}

TEST_F(BreakMenuTest, TracesStartFromTheFormAndSayWhatTheyWrote)
{
    EXPECT_EQ(break_trace_start(ORV_TRACE_INSTRUCTIONS, "insn.txt", "0"),
              "Frames: '0' is not a number from 1 to 100000000");
    EXPECT_EQ(break_trace_start(ORV_TRACE_INSTRUCTIONS, "  ", ""), "Trace to file: no file named");
    EXPECT_EQ(break_traces_running(), "");
    EXPECT_TRUE(break_traces_stop().empty());

    ASSERT_EQ(break_trace_start(ORV_TRACE_INSTRUCTIONS, "insn.txt", ""), "");
    ASSERT_EQ(break_trace_start(ORV_TRACE_LOG, "log.txt", "1"), "");
    EXPECT_EQ(break_traces_running(), "Trace: log to log.txt, instructions to insn.txt");
    orv_step();
    orv_step();
    std::vector<std::string> stopped = break_traces_stop();
    ASSERT_EQ(stopped.size(), 2u);
    EXPECT_EQ(stopped[0].rfind("log.txt: ", 0), 0u) << stopped[0];
    EXPECT_EQ(stopped[1], "insn.txt: 2 lines");
    EXPECT_NE(read_file("insn.txt").find("LDSP"), std::string::npos);
    EXPECT_TRUE(break_traces_ended().empty());  // stopped, not ended by themselves

    // A run that stops ends both; each is said once.
    ASSERT_EQ(break_trace_start(ORV_TRACE_INSTRUCTIONS, "insn2.txt", ""), "");
    ASSERT_EQ(break_trace_start(ORV_TRACE_LOG, "log2.txt", "100"), "");
    run();
    std::vector<std::string> ended = break_traces_ended();
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[0].rfind("Trace ended: log2.txt: ", 0), 0u) << ended[0];
    EXPECT_EQ(ended[1].rfind("Trace ended: insn2.txt: ", 0), 0u) << ended[1];
    EXPECT_TRUE(break_traces_ended().empty());
    EXPECT_EQ(break_traces_running(), "");
    EXPECT_NE(read_file("insn2.txt").find("CALL BUMP"), std::string::npos);
}
