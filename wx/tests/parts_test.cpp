// The window's host-free parts: whether the machine runs, the status bar's
// layout, screenshot names and the start-up failure text.
#include "wx/run_control.h"
#include "wx/tests/run_fixture.h"
#include "wx/screenshot.h"
#include "wx/startup.h"
#include "wx/status_layout.h"

#include "core/loop.h"
#include "core/machine.h"
#include "core/tms7000.h"
#include "firmware/builtin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using RunControlTest = RunningMachineTest;

TEST_F(RunControlTest, AStoppedMachineRunsNothingUntilItContinues)
{
    EXPECT_EQ(run_one_frame(), ORV_STOP_FRAME);
    run_stop();
    EXPECT_EQ(run_status_text(), "Stopped");
    int frames = vblnum;
    unsigned short pc = get_pc();
    for (int i = 0; i < 3; i++)
        run_one_frame();
    EXPECT_EQ(vblnum, frames);
    EXPECT_EQ(get_pc(), pc);
    run_continue();
    EXPECT_EQ(run_status_text(), "");
    EXPECT_EQ(run_one_frame(), ORV_STOP_FRAME);
    EXPECT_EQ(vblnum, frames + 1);
}

TEST_F(RunControlTest, ARunToAnAddressStopsThereAndSaysSo)
{
    // An address the firmware passes in every frame: where it was when
    // a frame ended.
    for (int i = 0; i < 50; i++)
        run_one_frame();
    unsigned short target = get_pc();
    run_to(target);
    EXPECT_EQ(run_status_text().rfind("Running to ", 0), 0u);
    orv_stop why = ORV_STOP_FRAME;
    for (int i = 0; i < 50 && why == ORV_STOP_FRAME; i++)
        why = run_one_frame();
    EXPECT_EQ(why, ORV_STOP_PC);
    EXPECT_EQ(get_pc(), target);
    EXPECT_EQ(run_current(), RUN_STOPPED);
    EXPECT_EQ(hook_calls, 1);
}

TEST(StatusLayout, TheMessageTakesTheBarOnlyWhenItNeedsIt)
{
    // Without a tape the tape fields take no room.
    auto widths = status_widths(640, 100, false, true);
    EXPECT_EQ(widths[FIELD_HELP], -1);
    EXPECT_GT(widths[FIELD_RATE], 0);
    EXPECT_EQ(widths[FIELD_TAPE], 0);
    EXPECT_EQ(widths[FIELD_GAUGE], 0);
    auto with_tape = status_widths(640, 100, true, true);
    EXPECT_GT(with_tape[FIELD_TAPE], 0);
    EXPECT_GT(with_tape[FIELD_GAUGE], 0);

    // Wider than what the others leave: the whole bar, while it may.
    int left = 640 - with_tape[FIELD_RATE] - with_tape[FIELD_SOUND] - with_tape[FIELD_TAPE] - with_tape[FIELD_GAUGE];
    EXPECT_EQ(status_widths(640, left - STATUS_FIELD_MARGIN, true, true), with_tape);
    auto wide = status_widths(640, left, true, true);
    for (int field = FIELD_RATE; field < FIELD_COUNT; field++)
        EXPECT_EQ(wide[field], 0) << field;
    EXPECT_EQ(status_widths(640, left, true, false), with_tape);

    // A window too narrow for every field (1x): none gets a negative width.
    for (int bar : {320, 100, 10, 0}) {
        auto narrow = status_widths(bar, 0, true, false);
        int sum = 0;
        for (int field = FIELD_RATE; field < FIELD_COUNT; field++) {
            EXPECT_GE(narrow[field], 0) << bar;
            sum += narrow[field];
        }
        EXPECT_LE(sum, bar) << bar;
    }
}

TEST(Screenshot, NamesSkipEverythingThatExists)
{
    fs::path dir = fs::temp_directory_path() / ("wx-shots-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    EXPECT_EQ(screenshot_free_name(dir.string()), (dir / "orvane-000.png").string());
    std::ofstream(dir / "orvane-000.png") << "x";
    fs::create_symlink("nowhere", dir / "orvane-001.png");  // dangling
    fs::create_directory(dir / "orvane-002.png");
    EXPECT_EQ(screenshot_free_name(dir.string()), (dir / "orvane-003.png").string());
    fs::remove_all(dir);
}

TEST(StartupText, AMissingFirmwareNamesTheFileLookedFor)
{
    EXPECT_EQ(firmware_failure_text("/no/such/dir", "fatal error needs file bios/bios7020.bin"),
              "fatal error needs file /no/such/dir/bios7020.bin: No such file or directory");
    EXPECT_EQ(firmware_failure_text("/no/such/dir", "fatal error needs file bios/7041b.bin"),
              "fatal error needs file /no/such/dir/7041b.bin: No such file or directory");
    // A directory whose name ends like the default one is not rewritten twice.
    EXPECT_EQ(firmware_failure_text("/x/mybios", "fatal error needs file /x/mybios/bios7020.bin"),
              "fatal error needs file /x/mybios/bios7020.bin: No such file or directory");
    EXPECT_EQ(firmware_failure_text("/x", "something else"),
              "something else (/x/bios7020.bin): No such file or directory");
}

} // namespace
