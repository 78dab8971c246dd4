// What the debugger window shows of the debugger's engine, without a
// window: the breakpoint list's rows, a breakpoint stopping the frames the
// render timer runs (and the stop seen once), traces that end by
// themselves or at the program's exit, the symbols loaded.
#include "wx/debug_show.h"
#include "wx/run_control.h"
#include "wx/tests/run_fixture.h"

#include "core/debug_engine.h"
#include "core/loop.h"
#include "core/machine.h"
#include "core/symbols.h"
#include "core/tms7000.h"
#include "firmware/builtin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class BreakTest : public RunningMachineTest {
protected:
    void SetUp() override
    {
        RunningMachineTest::SetUp();
        dir = fs::temp_directory_path() / ("wx_break_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        traces_close();
        orv_clear_globals();
        RunningMachineTest::TearDown();
        fs::remove_all(dir);
    }
    // An address the firmware passes in every frame: where it was when a
    // frame ended.
    unsigned short busy_address()
    {
        for (int i = 0; i < 50; i++)
            run_one_frame();
        return get_pc();
    }
    static std::string hex(unsigned address)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%04X", address);
        return text;
    }
    fs::path dir;
};

TEST_F(BreakTest, TheListShowsEachBreakpointAndWatchpointAsTheEngineHasIt)
{
    orv_symbols_put(ORV_SYMBOLS_USER, {{0xF810, "LOOP", true}, {0xC000, "TABLE", false}}, "test.sym");
    std::string why;
    ASSERT_EQ(orv_break_add("loop", "A == 0x41", 3, why), 1) << why;
    ASSERT_EQ(orv_break_add("F900", "", 0, why), 2) << why;
    orv_break_enable(2, false);
    ASSERT_EQ(orv_watch_add("TABLE..C00F", true, false, why), 1) << why;
    ASSERT_EQ(orv_watch_add("P6", true, true, why), 2) << why;

    std::vector<break_row> rows = break_rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (break_row{'B', 1, true, "F810 (LOOP)", "if A == 0x41, from hit 3", 0}));
    EXPECT_EQ(rows[1], (break_row{'B', 2, false, "F900", "", 0}));
    EXPECT_EQ(rows[2], (break_row{'W', 1, true, "C000..C00F (TABLE)", "read", 0}));
    EXPECT_EQ(rows[3].where, "0106");
    EXPECT_EQ(rows[3].detail, "read/write");
    EXPECT_EQ(break_row_name(rows[1]), "B2");
    EXPECT_EQ(break_row_name(rows[3]), "W2");

    // Removed in the engine, gone from the list; the rest keep their numbers.
    orv_break_remove(1);
    rows = break_rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(break_row_name(rows[0]), "B2");
}

TEST_F(BreakTest, ABreakpointStopsTheFramesAndIsSeenOnce)
{
    const unsigned short target = busy_address();
    stop_news news;
    std::string text;
    EXPECT_FALSE(news.take(text));

    std::string why;
    ASSERT_EQ(orv_break_add(hex(target), "", 0, why), 1) << why;
    orv_stop stop = ORV_STOP_FRAME;
    for (int i = 0; i < 50 && stop == ORV_STOP_FRAME; i++)
        stop = run_one_frame();
    EXPECT_EQ(stop, ORV_STOP_DEBUG);
    EXPECT_EQ(get_pc(), target);
    EXPECT_EQ(run_current(), RUN_STOPPED);
    EXPECT_EQ(run_status_text(), "Stopped");
    EXPECT_EQ(hook_calls, 1);
    ASSERT_TRUE(news.take(text));
    EXPECT_EQ(text.rfind("Breakpoint 1 at " + hex(target), 0), 0u) << text;
    EXPECT_FALSE(news.take(text));

    // Stopped, nothing runs; disabled, the breakpoint lets the frames run.
    const int frames = vblnum;
    run_one_frame();
    EXPECT_EQ(vblnum, frames);
    orv_break_enable(1, false);
    run_continue();
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(run_one_frame(), ORV_STOP_FRAME);
    EXPECT_EQ(run_current(), RUN_FREE);
    EXPECT_FALSE(news.take(text));
}

TEST_F(BreakTest, ABreakpointOnTheWayEndsARunToAnAddress)
{
    const unsigned short target = busy_address();
    std::string why;
    ASSERT_EQ(orv_break_add(hex(target), "", 0, why), 1) << why;
    // An address the firmware never reaches: only the breakpoint ends the run.
    run_to(0x0002);
    orv_stop stop = ORV_STOP_FRAME;
    for (int i = 0; i < 50 && stop == ORV_STOP_FRAME; i++)
        stop = run_one_frame();
    EXPECT_EQ(stop, ORV_STOP_DEBUG);
    EXPECT_EQ(run_current(), RUN_STOPPED);
    EXPECT_EQ(hook_calls, 1);
}

TEST_F(BreakTest, TracesEndedByThemselvesOrAtExitAreReportedAndWritten)
{
    const fs::path counted = dir / "counted.txt";
    ASSERT_EQ(orv_trace_file_start(ORV_TRACE_INSTRUCTIONS, counted.string(), 2), "");
    EXPECT_EQ(trace_news(), "");
    for (int i = 0; i < 3; i++)
        run_one_frame();
    const std::string news = trace_news();
    EXPECT_EQ(news.rfind("Trace of instructions ended: " + counted.string() + ": ", 0), 0u) << news;
    EXPECT_EQ(trace_news(), "");
    EXPECT_GT(fs::file_size(counted), 0u);

    // Still written at exit: closed and put in place.
    const fs::path open = dir / "open.txt";
    ASSERT_EQ(orv_trace_file_start(ORV_TRACE_INSTRUCTIONS, open.string(), 0), "");
    run_one_frame();
    const long lines = orv_trace_file_lines(ORV_TRACE_INSTRUCTIONS);
    EXPECT_GT(lines, 0);
    EXPECT_EQ(traces_close(), "Trace of instructions: " + std::to_string(lines) + " lines\n");
    EXPECT_FALSE(orv_trace_file_active(ORV_TRACE_INSTRUCTIONS));
    EXPECT_GT(fs::file_size(open), 0u);
    EXPECT_EQ(traces_close(), "");
}

TEST_F(BreakTest, LoadingSymbolsSaysHowManyAndWhatWasSkipped)
{
    const fs::path file = dir / "game.sym";
    std::ofstream(file) << "F800 START\nC010 COUNTER equ\nnot a symbol line\n";
    std::string note;
    std::string why = orv_symbols_load_file(ORV_SYMBOLS_USER, file.string(), note);
    const std::string text = symbols_loaded_text(why, note);
    EXPECT_EQ(text.rfind("Symbols: 2 from ", 0), 0u) << text;
    EXPECT_NE(text.find("1 line skipped"), std::string::npos) << text;

    why = orv_symbols_load_file(ORV_SYMBOLS_USER, (dir / "none.sym").string(), note);
    EXPECT_EQ(symbols_loaded_text(why, note).rfind("Cannot load symbols: ", 0), 0u);
    EXPECT_EQ(orv_symbols_count(ORV_SYMBOLS_USER), 2);
}

} // namespace
